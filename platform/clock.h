#pragma once
// The clock the program reads: seconds since midnight (the start-up reseed) and
// the local date and time as two separate readings (the picture's name).
// Tests and batch runs pass a fixed clock.

#include <string>

namespace painter {

class Clock {
public:
    virtual ~Clock() = default;
    virtual float secondsSinceMidnight() = 0;
    virtual std::string date() = 0;  // "mm-dd-yyyy"
    virtual std::string time() = 0;  // "hh:mm:ss", 24-hour clock
};

class SystemClock final : public Clock {
public:
    float secondsSinceMidnight() override;
    std::string date() override;
    std::string time() override;
};

// Always answers the same date and time.
class FixedClock final : public Clock {
public:
    FixedClock(std::string date, std::string time, float seconds = 0)
        : date_(std::move(date)), time_(std::move(time)), seconds_(seconds) {}
    float secondsSinceMidnight() override { return seconds_; }
    std::string date() override { return date_; }
    std::string time() override { return time_; }

private:
    std::string date_, time_;
    float seconds_;
};

}  // namespace painter
