#include "web/answer_cache.h"

namespace painter {

SharedAnswer AnswerCache::find(const std::string& key) {
    const auto found = index_.find(key);
    if (found == index_.end()) return nullptr;
    entries_.splice(entries_.begin(), entries_, found->second);
    return found->second->answer;
}

void AnswerCache::insert(const std::string& key, SharedAnswer answer) {
    if (!answer) return;
    if (const auto found = index_.find(key); found != index_.end()) {
        bytes_ -= cost(*found->second);
        entries_.erase(found->second);
        index_.erase(found);
    }
    Entry entry{key, std::move(answer)};
    if (cost(entry) > capacity_) return;
    bytes_ += cost(entry);
    entries_.push_front(std::move(entry));
    index_[key] = entries_.begin();
    while (bytes_ > capacity_) {
        bytes_ -= cost(entries_.back());
        index_.erase(entries_.back().key);
        entries_.pop_back();
    }
}

}  // namespace painter
