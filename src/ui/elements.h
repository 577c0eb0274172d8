#pragma once
// Every element of the main window by role. The objectName of each is the
// element's Chinese name; handlers of all subsystems reach the display
// through this struct (the elements own the program's live state).

#include <array>

class QWidget;
class QComboBox;
class QLineEdit;
class QCheckBox;
class QPushButton;
class QLabel;
class QFrame;
class QGroupBox;
class QMenu;
class QAction;

namespace luckdial {

class TransparentLabel;
class PictureButton;
class PictureBox;
class WinnersView;

struct MenuActions {
    QMenu* menu = nullptr;               ///< 更换 (the hidden top item's pop-up)
    QAction* changeMainTitle = nullptr;  ///< 更换主标题
    QAction* changeSubTitle = nullptr;   ///< 更换副标题
    QAction* prizeSettings = nullptr;    ///< 奖项设置
    QAction* viewResults = nullptr;      ///< 查看抽奖结果
    QAction* importList = nullptr;       ///< 导入抽奖名单... (a list from a spreadsheet)
    QAction* exportResults = nullptr;    ///< 导出抽奖结果
    QAction* exportSheet = nullptr;      ///< 导出为Excel... (the winners as a spreadsheet)
    QAction* changeBackground = nullptr; ///< 背景图控制/更换背景图
    QAction* removeBackground = nullptr; ///< 背景图控制/取消背景图
    QAction* solidBackground = nullptr;  ///< 背景图控制/选择纯色背景
    QAction* changeMusic = nullptr;      ///< 背景音乐控制/更换背景音乐
    QAction* musicOn = nullptr;          ///< 背景音乐控制/启用背景音乐 (checkable)
    QAction* musicOff = nullptr;         ///< 背景音乐控制/禁用背景音乐 (checkable)
    QAction* fontMainTitle = nullptr;    ///< 字体颜色设置/主标题
    QAction* fontSubTitle = nullptr;     ///< 字体颜色设置/副标题
    QAction* fontWinners = nullptr;      ///< 字体颜色设置/滚动及抽取结果
    QAction* fontCongrats = nullptr;     ///< 字体颜色设置/恭喜提示
    QAction* minimise = nullptr;         ///< 最小化界面
    QAction* windowMode = nullptr;       ///< 界面大小/窗口 (checkable)
    QAction* fullScreen = nullptr;       ///< 界面大小/全屏 (checkable)
    QAction* forfeit = nullptr;          ///< 当前某中奖人放弃
    QAction* reset = nullptr;            ///< 软件初始化
    QAction* update = nullptr;           ///< 新版本下载 (hidden)
    QAction* exit = nullptr;             ///< 退出
    // Two screens: beside the window-size commands, in the menu only while
    // a second screen is present.
    QAction* otherScreen = nullptr;   ///< 界面大小/移到另一屏幕
    QAction* toggleConsole = nullptr; ///< 界面大小/显示或隐藏控制台 (F2)
    // phone remote
    QAction* remote = nullptr; ///< 手机遥控... (switches the remote on, opens its panel)
    // participants' photos
    QAction* levelPhotos = nullptr;  ///< 本奖项显示照片 (checkable, the selected level's)
    QAction* scrollPhotos = nullptr; ///< 滚动显示照片 (checkable)
};

/// The settings panel 外形框1 and everything in it.
struct PanelElements {
    QFrame* frame = nullptr;       ///< 外形框1
    QLabel* icon = nullptr;        ///< 图片框1
    QLabel* caption = nullptr;     ///< 透明标签2 "● 奖项设置"
    QLabel* closeMark = nullptr;   ///< 标签8 "メ"
    QGroupBox* group = nullptr;    ///< 分组框1
    QLabel* hotKeyLabel = nullptr; ///< 标签1 (also receives the hot keys)

    std::array<QLineEdit*, 8> name{};      ///< 编辑框_奖项N
    std::array<QLineEdit*, 8> quota{};     ///< 编辑框_奖项人数N
    std::array<QLineEdit*, 8> perDraw{};   ///< 编辑框_一次抽N
    std::array<QLineEdit*, 8> columns{};   ///< 编辑框_列数N
    std::array<QPushButton*, 8> browse{};  ///< 按钮_奖项N浏览
    std::array<QPushButton*, 8> clear{};   ///< 按钮_奖项N浏览1
    std::array<QLineEdit*, 8> presetN{};   ///< 编辑框_中奖人N   (winner Q)
    std::array<QLineEdit*, 8> presetNN{};  ///< 编辑框_中奖人NN  (winner Q-1)
    std::array<QLineEdit*, 8> presetNNN{}; ///< 编辑框_中奖人NNN (winner Q-2)

    QLineEdit* scrollSpeed = nullptr;    ///< 编辑框_滚动速度
    QLineEdit* pictureWidth = nullptr;   ///< 编辑框_奖品图片宽
    QLineEdit* pictureHeight = nullptr;  ///< 编辑框_奖品图片高
    QLineEdit* autoStop = nullptr;       ///< 编辑框_自动停止
    QLineEdit* fireworksTime = nullptr;  ///< 编辑框_烟花时间
    QLineEdit* pageTurn = nullptr;       ///< 编辑框_翻页秒数 (seconds a page; 0: by hand)
    QCheckBox* disableEffects = nullptr; ///< 选择框_禁用特效
    QCheckBox* allowRepeat = nullptr;    ///< 选择框_是否允许重复抽奖
    QCheckBox* hideButtons = nullptr;    ///< 选择框_不显示按钮
    QCheckBox* mask = nullptr;           ///< 选择框_屏蔽
    QLineEdit* maskLeft = nullptr;       ///< 编辑框_屏蔽左
    QLineEdit* maskRight = nullptr;      ///< 编辑框_屏蔽右
    QLineEdit* maskChars = nullptr;      ///< 编辑框_屏蔽字符
    QPushButton* save = nullptr;         ///< 按钮_保存
};

struct MainElements {
    QWidget* window = nullptr;                ///< the main window
    TransparentLabel* mainTitle = nullptr;    ///< 透明标签_主标题
    TransparentLabel* subTitle = nullptr;     ///< 透明标签_副标题
    TransparentLabel* winners = nullptr;      ///< 透明标签_中奖人
    WinnersView* winnersView = nullptr;       ///< draws the winners label's caption
    TransparentLabel* congrats = nullptr;     ///< 透明标签_恭喜
    TransparentLabel* levelCaption = nullptr; ///< 透明标签_奖项等级
    QComboBox* levelCombo = nullptr;          ///< 组合框1 (editable)
    TransparentLabel* progress = nullptr;     ///< 透明标签_抽取进度
    PictureBox* prizePicture = nullptr;       ///< 动画框_奖品图片
    TransparentLabel* prizeName = nullptr;    ///< 透明标签_奖品名称
    PictureButton* startButton = nullptr;     ///< 超级按钮_开始
    PictureButton* stopButton = nullptr;      ///< 超级按钮_停止
    TransparentLabel* buttonGrip = nullptr;   ///< 透明标签_按钮移动
    TransparentLabel* switchMark = nullptr;   ///< 透明标签_开关
    QLineEdit* scratch = nullptr;             ///< 编辑框1 (hidden)
    PanelElements panel;
    MenuActions menu;
};

} // namespace luckdial
