#pragma once
// A program directory with a fake host and the real application on top of it.
// Files are named in UTF-8 here and written through the host, as the program
// would address them.

#include "app/application.h"
#include "host/core/text.h"
#include "support/fakehost.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace luckdial::testing {

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The title file is looked up in the working directory: give every
        // test one of its own.
        oldCwd_ = std::filesystem::current_path();
        std::filesystem::current_path(cwd_.path());
        host_ = std::make_unique<FakeHost>(dir_.path());
    }
    void TearDown() override {
        app_.reset();
        if (host_) host_->verifyAllAnswered();
        host_.reset();
        std::filesystem::current_path(oldCwd_);
    }

    FakeHost& host() { return *host_; }
    Application& app() { return *app_; }

    /// A fresh host and application on the same program directory, as a
    /// restart of the program.
    Application& restart() {
        app_.reset();
        host_->verifyAllAnswered();
        host_ = std::make_unique<FakeHost>(dir_.path());
        app_ = std::make_unique<Application>(*host_);
        return *app_;
    }
    Application& create() {
        app_ = std::make_unique<Application>(*host_);
        return *app_;
    }

    std::string path(const std::string& utf8Name) const { return host_->path(gbk(utf8Name)); }
    void write(const std::string& utf8Name, const std::string& bytes) {
        ASSERT_TRUE(host_->writeFile(path(utf8Name), bytes));
    }
    std::string read(const std::string& utf8Name) const { return host_->readFile(path(utf8Name)); }
    bool exists(const std::string& utf8Name) const { return host_->fileExists(path(utf8Name)); }
    std::string item(const std::string& section, const std::string& utf8Key) {
        return host_->readItem(path("peizhi.a"), gbk(section), gbk(utf8Key));
    }
    void setItem(const std::string& section, const std::string& utf8Key,
                 const std::string& utf8Value) {
        ASSERT_TRUE(host_->writeItem(path("peizhi.a"), gbk(section), gbk(utf8Key), gbk(utf8Value)));
    }
    std::string cwdFile(const std::string& name) const { return cwd_.path() + "/" + name; }

    std::vector<std::string> poolEntries();

    TempDir dir_;
    TempDir cwd_;
    std::filesystem::path oldCwd_;
    std::unique_ptr<FakeHost> host_;
    std::unique_ptr<Application> app_;
};

/// The resume question, the exit question and their styles.
std::string resumeQuestion();
std::string exitQuestion();
constexpr int kResumeStyle = MbYesNo | MbIconQuestion;
constexpr int kExitStyle = MbYesNoCancel | MbIconQuestion;

} // namespace luckdial::testing
