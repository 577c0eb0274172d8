#pragma once
// The real main window, the fake host and a connected draw controller, with
// helpers to set up prize rows, the pool and scripted stops.

#include "draw/drawcontroller.h"
#include "host/qtext.h"
#include "pool/pool.h"
#include "support/fakehost.h"
#include "support/tempdir.h"
#include "ui/fireworks.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace luckdial {

class DrawFixture : public ::testing::Test {
protected:
    DrawFixture() {
        draw.connectHandlers();
        // Most tests watch the draw, not the effect.
        e.panel.disableEffects->setChecked(true);
        e.menu.musicOn->setChecked(false);
    }

    static QString q(const char* utf8Text) { return QString::fromUtf8(utf8Text); }

    /// Row n (1..8): name, quota, per-draw count and columns as typed.
    void setRow(int n, const char* name, const char* quota, const char* perDraw,
                const char* columns = "1") {
        const auto i = static_cast<std::size_t>(n - 1);
        e.panel.name[i]->setText(q(name));
        e.panel.quota[i]->setText(q(quota));
        e.panel.perDraw[i]->setText(q(perDraw));
        e.panel.columns[i]->setText(q(columns));
    }
    void setPresets(int n, const char* presetN, const char* presetNN, const char* presetNNN) {
        const auto i = static_cast<std::size_t>(n - 1);
        e.panel.presetN[i]->setText(q(presetN));
        e.panel.presetNN[i]->setText(q(presetNN));
        e.panel.presetNNN[i]->setText(q(presetNNN));
    }

    /// Types the level into the selector, which runs the selection handler.
    void select(const char* level) { e.levelCombo->setEditText(q(level)); }
    /// Puts text in the selector without running any handler.
    void setLevelQuietly(const char* level) {
        const QSignalBlocker block(e.levelCombo);
        e.levelCombo->setEditText(q(level));
    }

    void fillPool(const std::vector<std::string>& entries) {
        window.pool().clear();
        for (const auto& entry : entries)
            window.pool().append(entry);
    }
    static std::vector<std::string> numbered(int n) {
        std::vector<std::string> v;
        for (int i = 1; i <= n; ++i)
            v.push_back("N" + std::to_string(1000 + i));
        return v;
    }

    /// Presses the stop button after the given number of scroll frames.
    void stopAfterFrames(int frames) {
        framesSeen = 0;
        host.onDelay = [this, frames] {
            if (!state.drawRunning) return;
            if (++framesSeen >= frames) e.stopButton->click();
        };
    }

    std::string resultsFile() { return host.readFile(host.path(gbk("抽奖结果.txt"))); }
    static std::vector<std::string> lines(const std::string& text) {
        std::vector<std::string> out;
        std::size_t from = 0;
        while (from < text.size()) {
            const std::size_t end = text.find("\r\n", from);
            if (end == std::string::npos) {
                out.push_back(text.substr(from));
                break;
            }
            out.push_back(text.substr(from, end - from));
            from = end + 2;
        }
        return out;
    }

    TempDir dir;
    FakeHost host{dir.path(), 50000};
    MainWindow window;
    MainElements& e = window.elements();
    DrawState state;
    DrawController draw{host, window, state};
    int framesSeen = 0;
};

} // namespace luckdial
