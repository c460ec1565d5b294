// Run-time errors: a number and a description, as the user sees them in a message box.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace typomancer {

// The numbers the program's logic relies on. 6 and 9 are fixed by the notation's rules; the
// others are ours, chosen above the range of the classic run-time errors so they never clash.
enum ErrorNumber : std::int32_t {
    kErrOverflow = 6,
    kErrOutOfMemory = 7,
    kErrSubscriptOutOfRange = 9,
    kErrInternal = 51,
    kErrKeysRefused = 1001,
    kErrTypingIntoItself = 1002,
};

class RunError : public std::exception {
public:
    RunError(std::int32_t number, std::string description)
        : number_(number), description_(std::move(description)) {}

    std::int32_t Number() const noexcept { return number_; }
    // Plain ASCII English, so every layer can show it without a conversion that could fail.
    const std::string& Description() const noexcept { return description_; }
    const char* what() const noexcept override { return description_.c_str(); }

private:
    std::int32_t number_;
    std::string description_;
};

RunError OverflowError();
RunError SubscriptOutOfRangeError();

}  // namespace typomancer
