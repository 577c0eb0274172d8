#pragma once
// An event ready to draw through the real application: a numbered pool, one
// prize level, effects and music off, and helpers to draw, forfeit and look
// at the program directory.

#include "support/app_fixture.h"

#include "draw/drawcontroller.h"
#include "pool/pool.h"
#include "ui/elements.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"

#include <QComboBox>
#include <QPushButton>

#include <filesystem>
#include <regex>
#include <set>

namespace luckdial::testing {

class EventTest : public AppTest {
protected:
    /// Pool 1001.. of the given size; level 特等奖 with the quota, drawn
    /// perDraw at a time.
    void writeEvent(int poolSize, int quota, int perDraw) {
        std::string pool;
        for (int i = 0; i < poolSize; ++i)
            pool += std::to_string(1001 + i) + "\r\n";
        write("抽奖号码库.txt", pool);
        setItem("zbt", "特等奖", "特等奖");
        setItem("zbt", "特等奖人数", std::to_string(quota));
        setItem("zbt", "特等奖一次抽取人数", std::to_string(perDraw));
        setItem("zbt", "列1", std::to_string(perDraw));
        setItem("zbt", "禁用特效", "真");
        setItem("zbt", "背景音乐", "假");
    }

    void selectLevel() {
        app().window().elements().levelCombo->setEditText(QStringLiteral("特等奖"));
    }

    /// One draw run, stopped after its first scroll frame.
    void drawOnce() {
        host().onDelay = [this] {
            if (app().state().drawRunning) app().window().elements().stopButton->click();
        };
        app().draw().startDraw();
        host().onDelay = nullptr;
    }

    /// The winners named in a results text, in order.
    static std::vector<std::string> winnersIn(const std::string& results) {
        std::vector<std::string> out;
        const std::string mark = "  ------  ";
        std::size_t from = 0;
        while (from < results.size()) {
            const std::size_t end = results.find("\r\n", from);
            const std::string line = results.substr(from, end - from);
            if (line.find(mark) != std::string::npos)
                out.push_back(line.substr(0, line.find(mark)));
            if (end == std::string::npos) break;
            from = end + 2;
        }
        return out;
    }

    /// Files of the program directory whose UTF-8 names match the pattern.
    std::vector<std::string> filesMatching(const std::string& pattern) const {
        std::vector<std::string> names;
        const std::regex re(pattern);
        for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
            const std::string name = entry.path().filename().string();
            if (std::regex_match(name, re)) names.push_back(name);
        }
        return names;
    }
    std::string readDisk(const std::string& utf8Name) const {
        return host_->readFile(dir_.path() + "/" + gbk(utf8Name));
    }

    std::string recoveryQuestion() const {
        return gbk("    上次抽奖没有正常结束。\r\n\r\n"
                   "    选 【是】 从最后一次抽奖之后继续\r\n\r\n"
                   "    选 【否】 不恢复（记录另存备份）");
    }
    void expectRecoveryQuestion(int answer) {
        host().expectMessage(recoveryQuestion(), answer, gbk("提示"), MbYesNo | MbIconQuestion);
    }
    void expectResumeQuestion(int answer) {
        host().expectMessage(resumeQuestion(), answer, gbk("提示"), kResumeStyle);
    }
};

} // namespace luckdial::testing
