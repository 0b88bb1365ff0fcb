#pragma once
#include <stdexcept>
#include <string>

// Every failure the player or an author should see is an EGameError carrying
// the game's own message text. It is caught once per event at the dispatch
// boundary (frame tick, mouse event, timer tick, editor action) and shown.
class EGameError : public std::runtime_error {
public:
    explicit EGameError(const std::string& message) : std::runtime_error(message) {}
};

// A file that cannot be opened, read or written; the message names the path.
class EFileError : public EGameError {
public:
    explicit EFileError(const std::string& message) : EGameError(message) {}
};
