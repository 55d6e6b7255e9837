// A fresh working folder per test, so the save files of one test never meet another's.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// Changes into an empty temporary folder for the test and back (removing it) afterwards.
class SaveDirTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Previous = std::filesystem::current_path();
        std::string name = std::string("spraydash-records-") +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char& c : name)
            if (c == '/') c = '_';
        Dir = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(Dir);
        std::filesystem::create_directories(Dir);
        std::filesystem::current_path(Dir);
    }
    void TearDown() override {
        std::filesystem::current_path(Previous);
        std::filesystem::remove_all(Dir);
    }
    // Writes bytes to a path below the test folder, creating folders on the way.
    static void WriteFile(const std::string& path, const std::string& bytes) {
        std::filesystem::path p(path);
        if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::filesystem::path Previous, Dir;
};
