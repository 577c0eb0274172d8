#pragma once
// A real main window driven by the settings handlers over a fake host whose
// program directory is a fresh temporary directory.

#include "draw/core/drawstate.h"
#include "host/core/text.h"
#include "host/qtext.h"
#include "settings/settingscontroller.h"
#include "support/fakehost.h"
#include "support/tempdir.h"
#include "ui/elements.h"
#include "ui/mainwindow.h"

#include <gtest/gtest.h>

#include <QLineEdit>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace luckdial::test {

class SettingsTest : public ::testing::Test {
protected:
    SettingsTest() : host(dir.path()) { makeWindow(); }
    ~SettingsTest() override { host.verifyAllAnswered(); }

    /// A fresh window and controller, as after a restart.
    void makeWindow() {
        controller.reset();
        window = std::make_unique<MainWindow>();
        controller = std::make_unique<SettingsController>(host, *window, draw);
    }

    MainElements& e() { return window->elements(); }
    PanelElements& panel() { return window->elements().panel; }

    std::string configFile() const { return dir.path() + "/peizhi.a"; }

    /// Writes "peizhi.a" from UTF-8 lines, as GBK with CR LF ends.
    void writeConfig(const std::string& utf8Text) {
        std::string text;
        for (char c : gbk(utf8Text)) {
            if (c == '\n') text += '\r';
            text += c;
        }
        std::ofstream(configFile(), std::ios::binary) << text;
    }

    std::string rawConfig() const {
        std::ifstream in(configFile(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    /// An item of the configuration file, in UTF-8 (section and key UTF-8 too).
    std::string key(const std::string& utf8Key, const std::string& section = "zbt") {
        return utf8(host.readItem(host.path("peizhi.a"), section, gbk(utf8Key)));
    }

    static std::string text(const QLineEdit* field) { return field->text().toStdString(); }
    static void type(QLineEdit* field, const std::string& utf8Text) {
        field->setText(QString::fromStdString(utf8Text));
    }

    TempDir dir;
    FakeHost host;
    DrawState draw;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<SettingsController> controller;
};

} // namespace luckdial::test
