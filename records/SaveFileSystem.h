// The few file calls saving makes, behind one small interface so a test can make any step fail.
#pragma once
#include <cstdio>
#include <string>

// Every step a save takes on the disk. Each returns false (or nullptr) on failure with errno set,
// so the caller can name the reason.
class TSaveFileSystem {
  public:
    virtual ~TSaveFileSystem() = default;
    // Creates or truncates a file for writing.
    virtual std::FILE* Open(const std::string& path) = 0;
    virtual bool Write(std::FILE* file, const std::string& bytes) = 0;
    // Pushes what was written through the library's buffer and the system's cache to the disk.
    virtual bool Flush(std::FILE* file) = 0;
    virtual bool Close(std::FILE* file) = 0;
    // Replaces `to` by `from` in one step.
    virtual bool Rename(const std::string& from, const std::string& to) = 0;
    virtual bool Remove(const std::string& path) = 0;
};

// The plain C library and POSIX calls.
TSaveFileSystem& RealSaveFileSystem();
// What saving uses: the real one unless a test installed another.
TSaveFileSystem& SaveFileSystem();
// Installs another implementation for the saves that follow; nullptr puts the real one back.
void SetSaveFileSystem(TSaveFileSystem* fileSystem);
