#pragma once
// The encoded answers the service has painted, kept in memory so that a
// repeated picture or description is answered without painting: keyed by
// everything that decides their bytes, bounded in bytes, the least recently
// asked dropped first. Used from one thread (the one that talks to clients).

#include "web/picture_formats.h"

#include <QByteArray>

#include <cstddef>
#include <list>
#include <memory>
#include <unordered_map>
#include <string>

namespace painter {

using SharedAnswer = std::shared_ptr<const EncodedPicture>;

class AnswerCache {
public:
    explicit AnswerCache(std::size_t capacityBytes) : capacity_(capacityBytes) {}

    // The answer kept under `key`, now the most recently asked; null when none is.
    SharedAnswer find(const std::string& key);
    // Keeps `answer` under `key`, dropping the least recently asked answers
    // until everything fits. An answer larger than the whole cache is not kept.
    void insert(const std::string& key, SharedAnswer answer);

    std::size_t bytes() const { return bytes_; }
    std::size_t count() const { return entries_.size(); }

private:
    struct Entry {
        std::string key;
        SharedAnswer answer;
    };
    static std::size_t cost(const Entry& e) { return e.key.size() + static_cast<std::size_t>(e.answer->bytes.size()); }

    const std::size_t capacity_;
    std::size_t bytes_ = 0;
    std::list<Entry> entries_;  // most recently asked first
    std::unordered_map<std::string, std::list<Entry>::iterator> index_;
};

}  // namespace painter
