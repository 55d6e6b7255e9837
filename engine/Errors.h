// The engine's exception classes. Messages are fixed texts the player (or a test) can read.
#pragma once
#include <stdexcept>
#include <string>

// Base of every error the game raises on purpose; what() is the message shown to the player.
class EGameError : public std::runtime_error {
  public:
    explicit EGameError(const std::string& message) : std::runtime_error(message) {}
};

// Display device errors ("Form not found", "Display mode cannot be changed (...)", ...).
class EDXDrawError : public EGameError {
    using EGameError::EGameError;
};
// Errors of the platform drawing service ("It should be either of 8 or 16 or 24 or 32", ...).
class EDirectDrawError : public EGameError {
    using EGameError::EGameError;
};
// Input component errors ("Form not found").
class EDXInputError : public EGameError {
    using EGameError::EGameError;
};
// Pattern surface errors ("Surface cannot be made").
class EDirectDrawSurfaceError : public EGameError {
    using EGameError::EGameError;
};
// Picture list errors ("Image '%s' not found", ...).
class EPictureCollectionError : public EGameError {
    using EGameError::EGameError;
};
// Sprite engine errors ("Index of the list exceeds the range. (%d)").
class ESpriteError : public EGameError {
    using EGameError::EGameError;
};
// Sound device errors.
class EDXSoundError : public EGameError {
    using EGameError::EGameError;
};
// Wave list errors ("Wave '%s' not found", ...).
class EWaveCollectionError : public EGameError {
    using EGameError::EGameError;
};
// Stream and file-format errors ("Stream read error", "Invalid property value", ...).
class EReadError : public EGameError {
    using EGameError::EGameError;
};
// A data file that cannot be opened (reported by name at start-up).
class EFOpenError : public EGameError {
    using EGameError::EGameError;
};
// A save-file number line that does not hold an integer.
class EInOutError : public EGameError {
    using EGameError::EGameError;
};

// printf-style formatting for the fixed message texts.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
