#include "records/SaveFileSystem.h"

#include <cstdio>
#include <unistd.h>

namespace {

class TRealSaveFileSystem final : public TSaveFileSystem {
  public:
    std::FILE* Open(const std::string& path) override { return std::fopen(path.c_str(), "wb"); }
    bool Write(std::FILE* file, const std::string& bytes) override {
        return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    }
    bool Flush(std::FILE* file) override { return std::fflush(file) == 0 && fsync(fileno(file)) == 0; }
    bool Close(std::FILE* file) override { return std::fclose(file) == 0; }
    bool Rename(const std::string& from, const std::string& to) override {
        return std::rename(from.c_str(), to.c_str()) == 0;
    }
    bool Remove(const std::string& path) override { return std::remove(path.c_str()) == 0; }
};

TSaveFileSystem* Installed = nullptr;

} // namespace

TSaveFileSystem& RealSaveFileSystem() {
    static TRealSaveFileSystem real;
    return real;
}

TSaveFileSystem& SaveFileSystem() {
    return Installed ? *Installed : RealSaveFileSystem();
}

void SetSaveFileSystem(TSaveFileSystem* fileSystem) {
    Installed = fileSystem;
}
