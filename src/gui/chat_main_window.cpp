#include "gui/chat_main_window.h"

#include <utility>

#include <QApplication>
#include <QBitmap>
#include <QClipboard>
#include <QCloseEvent>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <QWindow>

#include "app/chat_main_dlg.h"
#include "base/cp1251.h"
#include "gui/click_point.h"
#include "gui/connection_check_dialog.h"
#include "gui/history_search_window.h"
#include "gui/input_box.h"
#include "gui/skin_image.h"
#include "gui/skin_tool_button.h"
#include "gui/unread_badge.h"
#include "gui/user_list_drop.h"
#include "gui/user_override_dialogs.h"
#include "gui/waiting_window.h"
#include "gui/web/zelto_chat_text.h"
#include "platform/window_commands.h"
#include "qt/virtual_keys.h"
#include "services/plugin_host.h"
#include "ui/html/input_box.h"
#include "ui/html/skin_geometry.h"
#include "ui/html/user_list_page.h"

namespace zc {

namespace {

QString FromCp1251(const std::string& text) { return QString::fromStdString(Cp1251ToUtf8(text)); }

// Input text back from the chat: characters the code page cannot hold come as "&#N;" and go
// back into the box as themselves, not as that text.
QString InputFromCp1251(const std::string& text) {
    QString out = FromCp1251(text);
    static const QRegularExpression reference("&#(\\d{3,7});");
    QRegularExpressionMatchIterator it = reference.globalMatch(out);
    QString result;
    qsizetype last = 0;
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const char32_t code = m.captured(1).toUInt();
        const QString character = QString::fromUcs4(&code, 1);
        // Only what the conversion made; a reference the user typed for a code page character stays.
        if (code > 0x10FFFF || Utf8ToCp1251(character.toStdString()) != m.captured(0).toStdString()) continue;
        result += out.mid(last, m.capturedStart() - last) + character;
        last = m.capturedEnd();
    }
    return result + out.mid(last);
}

// Positions the chat sees count bytes in the code page; the box counts characters.
size_t BytesBefore(const QString& text, int chars) { return Utf8ToCp1251(text.left(chars).toStdString()).size(); }

int CharsBefore(const std::string& cp1251, size_t bytes) {
    return static_cast<int>(InputFromCp1251(cp1251.substr(0, std::min(bytes, cp1251.size()))).size());
}

QString Hex(const SkinColour& c) { return QColor(c.r, c.g, c.b).name(); }

QString Mix(const SkinColour& a, const SkinColour& b) {
    return QColor((a.r + b.r) / 2, (a.g + b.g) / 2, (a.b + b.b) / 2).name();
}

}  // namespace

QString TextFromCp1251(const std::string& text) { return InputFromCp1251(text); }

int ButtonToolTipString(const std::string& name) {
    static const std::map<std::string, int> strings = {
        {"CLOSE", 9},    {"MAIN", 19},   {"BOARD", 16},        {"CONFERENCE", 22}, {"OPTIONS", 35},  {"REFRESH", 20},
        {"SMILES", 37}, {"CLEARCHAT", 13}, {"SOUNDTRIGGER", 36}, {"PROFILE", 34},    {"CHATMODE", 60},
    };
    auto it = strings.find(name);
    return it == strings.end() ? -1 : it->second;
}

QString SkinMenuAndAlertStyle(const SkinMainElements& m) {
    // A stripe runs down the menus' left side, like the program's own drawn menus; it is each
    // item's left border (a border of the menu itself would pad all four sides as much).
    return QString("QMenu { background-color: %1; color: %2; border: 1px solid %3; padding: 0; }"
                   "QMenu::item { border-left: 22px solid %3; padding: 4px 20px 4px 8px; background-color: %1; }"
                   "QMenu::item:selected { background-color: %4; color: %2; }"
                   "QMenu::item:disabled { color: %5; }"
                   "QMenu::separator { height: 7px; border-left: 22px solid %3; background: qlineargradient(x1: 0,"
                   " y1: 0, x2: 0, y2: 1, stop: 0 %1, stop: 0.42 %1, stop: 0.43 %5, stop: 0.57 %5, stop: 0.58 %1,"
                   " stop: 1 %1); }"
                   "QToolTip { background-color: %1; color: %2; border: 1px solid %5; padding: 2px; }"
                   "QMessageBox { background-color: %6; }"
                   "QMessageBox QLabel { color: %7; }"
                   "QMessageBox QPushButton { color: %7; background-color: %6; border: 1px solid %8;"
                   " border-radius: 3px; padding: 4px 14px; min-width: 60px; }"
                   "QMessageBox QPushButton:hover, QMessageBox QPushButton:focus { background-color: %8; color: %6; }"
                   // The transfer and information windows are the program's dialogs too.
                   "QDialog#CmyFileTrans, QDialog#UserInfoDlg { background-color: %6; }"
                   "#CmyFileTrans QLabel, #UserInfoDlg QLabel { color: %7; }"
                   "#CmyFileTrans QPushButton, #UserInfoDlg QPushButton { color: %7; background-color: %6;"
                   " border: 1px solid %8; border-radius: 3px; padding: 4px 14px; min-width: 60px; }"
                   "#CmyFileTrans QPushButton:hover, #CmyFileTrans QPushButton:focus, #UserInfoDlg QPushButton:hover,"
                   " #UserInfoDlg QPushButton:focus { background-color: %8; color: %6; }"
                   "#CmyFileTrans QProgressBar { border: 1px solid %8; border-radius: 3px; background-color: %6;"
                   " min-height: 14px; }"
                   "#CmyFileTrans QProgressBar::chunk { background-color: %8; }")
        .arg(Hex(m.menuBackground), Hex(m.menuText), Hex(m.menuLeft), Hex(m.menuHighlight),
             Mix(m.menuText, m.menuBackground), Hex(m.alertBackground), Hex(m.alertText), Hex(m.alertHighlight));
}

ChatMainWindow::ChatMainWindow() {
    setObjectName("ChatMainWindow");
    // The skin buttons explain themselves also while another window has the focus.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setMinimumSize(200, 150);
    clicks_ = new ClickPoint;
    clicks_->setParent(this);

    input_ = new InputBox(this);
    input_->setFixedHeight(34);
    input_->setObjectName("InputLine");
    input_->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(input_, &QWidget::customContextMenuRequested, this,
                     [this](const QPoint& at) { ShowInputMenu(input_->mapToGlobal(at)); });
    input_->SetOnEnter([this] {
        if (!chat_) return;
        // A refused send (too fast) keeps the text for another try.
        if (chat_->SendChatMessage(InputText())) input_->clear();
    });

    auto* layout = new QVBoxLayout(this);
    layout_ = layout;
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);
    // The pages side by side: the chat, and the user list at the right.
    pages_ = new QHBoxLayout;
    pages_->setSpacing(6);
    layout->addLayout(pages_, 1);
    layout->addWidget(input_);

    drops_ = std::make_unique<UserListDrops>([this] { return chat_ && !chat_->UserTransferRunning(); },
                                             [this](const std::string& picked, const std::string& path) {
                                                 if (chat_) chat_->OfferFileTo(chat_->Roster().NameOf(picked), path);
                                             },
                                             [this] {
                                                 if (chat_) chat_->NoteDropBesideNames();
                                             });

    // Like a message filter before the widgets: hot keys work whatever has the focus.
    qApp->installEventFilter(this);

    auto* find = new QShortcut(QKeySequence::Find, this);
    QObject::connect(find, &QShortcut::activated, this, [this] { ShowHistorySearch(); });
}

ChatMainWindow::~ChatMainWindow() { qApp->removeEventFilter(this); }

void ChatMainWindow::AttachChat(CChatMainDlg* chat) {
    if (chat_ && chat_ != chat) {
        chat_->SetUnreadListener(nullptr);
        delete search_;  // it works on that chat
    }
    chat_ = chat;
    if (chat_) chat_->SetUnreadListener([this] { ShowUnreadCounts(); });
    NameForReaders();
}

void ChatMainWindow::ShowHistorySearch() {
    if (!chat_) return;
    if (!search_) search_ = new HistorySearchWindow(*chat_, this);
    search_->show();
    search_->raise();
    search_->activateWindow();
    search_->Field()->setFocus(Qt::ShortcutFocusReason);
    search_->Field()->selectAll();
}

HistorySearchWindow* ChatMainWindow::HistorySearch() const { return search_; }

void ChatMainWindow::ShowUnreadCounts() {
    if (!chat_) return;
    for (auto& [button, widget] : buttons_) {
        const int page = PageOfButton(button.command);
        if (page < 0) continue;
        const int count = chat_->Unread(static_cast<PageMode>(page));
        const QString tip = widget->property("pageTip").toString();
        static_cast<SkinToolButton*>(widget)->SetExplanation(count > 0 ? QString("%1 (%2)").arg(tip).arg(count) : tip);
        QPointer<UnreadBadge>& badge = badges_[widget];
        if (!badge) badge = new UnreadBadge(widget);
        badge->SetCount(count);
    }
}

void ChatMainWindow::CarryOut(ViewRole role, const WindowRequest& request) {
    switch (request.action) {
        case WindowAction::DragWindow: DragToolWindow(role); break;
        case WindowAction::UserMenu: ShowUserMenu(request.picked); break;
        case WindowAction::CopyMenu: ShowCopyMenu(role); break;
        case WindowAction::OwnMenu: ShowOwnMenu(); break;
        case WindowAction::GroupMenu: ShowGroupMenu(request.picked); break;
        case WindowAction::None: break;
    }
}

void ChatMainWindow::PlaceView(QWidget* view, ViewRole role) {
    views_[role] = view;
    QObject::connect(view, &QObject::destroyed, this, [this, role, view] {
        if (views_[role] == view) views_.erase(role);
    });
    NameForReaders();
    ChainTabOrder();
    if (role == ViewRole::Smiles) {
        // A little window of its own beside the chat, with its title bar.
        view->setWindowFlags(Qt::Tool);
        if (chat_) view->setWindowTitle(FromCp1251(chat_->Language().LangString(65)));
        view->hide();
        // Its own close button hides it the way the smiles button does, so the chat knows.
        view->installEventFilter(this);
        return;
    }
    if (role == ViewRole::UserList) {
        listView_ = qobject_cast<QWebEngineView*>(view);
        UserListDrops::AcceptDropsOn(listView_);
    }
    // Showing a page marks its button.
    view->installEventFilter(this);
    if (skinned_) {
        if (role == ViewRole::ChatText || role == ViewRole::UserList) view->show();
        else view->hide();
        LayOutSkin();
        return;
    }
    switch (role) {
        case ViewRole::ChatText:
            pages_->insertWidget(0, view, 3);
            view->show();
            break;
        case ViewRole::UserList:
            view->setMinimumWidth(140);
            pages_->addWidget(view, 1);
            view->show();
            break;
        default: view->hide(); break;
    }
}

std::string ChatMainWindow::InputText() const { return Utf8ToCp1251(input_->Text().toStdString()); }

void ChatMainWindow::SetInputText(const std::string& text) { input_->SetText(InputFromCp1251(text)); }

void ChatMainWindow::SetInputTextAt(const std::string& text, size_t caret) {
    input_->SetText(InputFromCp1251(text), CharsBefore(text, caret));
}

size_t ChatMainWindow::InputCaret() const { return BytesBefore(input_->Text(), input_->Caret()); }

std::pair<size_t, size_t> ChatMainWindow::InputSelection() const {
    const int start = input_->SelectionStart();
    if (start < 0) return {0, 0};
    const QString text = input_->Text();
    return {BytesBefore(text, start), BytesBefore(text, start + input_->SelectionLength())};
}

void ChatMainWindow::SetTitle(const std::string& title) {
    title_ = title;
    setWindowTitle(FromCp1251(title));
}

void ChatMainWindow::HideWindow() { hide(); }

void ChatMainWindow::ShowNormal() {
    // Unmapped behind our back (by the desktop or a tool): Qt still thinks it is shown.
    if (isVisible() && windowHandle() && !windowHandle()->isExposed() && !isMinimized()) hide();
    showNormal();
}

void ChatMainWindow::MinimizeWindow() { showMinimized(); }

void ChatMainWindow::BringToFront() {
    raise();
    activateWindow();
}

// A minimised window still counts as shown.
bool ChatMainWindow::IsWindowVisible() const { return isVisible(); }

bool ChatMainWindow::IsForeground() const { return isVisible() && isActiveWindow(); }

std::uint64_t ChatMainWindow::NativeId() const { return static_cast<std::uint64_t>(winId()); }

// Position of the outer frame, size of the inside: what is stored at exit comes back the same,
// whatever the desktop adds around the window (the frame is known only once it is shown).
void ChatMainWindow::MoveWindow(int left, int top, int width, int height) {
    move(left, top);
    resize(std::max(1, width), std::max(1, height));
}

WindowRect ChatMainWindow::ScreenRect() const {
    const QPoint at = pos();
    return {at.x(), at.y(), at.x() + width(), at.y() + height()};
}

void ChatMainWindow::FocusInput() { input_->setFocus(Qt::OtherFocusReason); }

void ChatMainWindow::EndDialog() {
    // exit(), not quit(): quit() first asks every window to close, and ours refuses.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

void ChatMainWindow::closeEvent(QCloseEvent* event) {
    if (!chat_ || chat_->Ended()) {
        event->accept();
        return;
    }
    // Closing only puts the chat away; it ends through the tray menu.
    event->ignore();
    chat_->HideToTray();
}

void ChatMainWindow::ShowInputMenu(const QPoint& at) {
    if (!chat_) return;
    QMenu menu(this);
    FillInputMenu(menu);
    menu.exec(at);
}

void ChatMainWindow::FillInputMenu(QMenu& menu) {
    const LanguageTable& lang = chat_->Language();
    auto text = [&](int n) { return FromCp1251(lang.LangString(n)); };
    menu.addAction(text(18), this, [this] {
        if (chat_->SendChatMessage(InputText())) input_->clear();
    });
    menu.addSeparator();
    menu.addAction(text(37), this, [this] { chat_->ToggleSmiles(); });
    menu.addSeparator();
    // The table has no words for cutting and selecting all; Qt's own (translated) ones serve.
    const bool selected = input_->textCursor().hasSelection();
    menu.addAction(QCoreApplication::translate("QWidgetTextControl", "Cu&t"), input_, &QPlainTextEdit::cut)
        ->setEnabled(selected);
    menu.addAction(text(1), input_, &QPlainTextEdit::copy)->setEnabled(selected);
    if (!QGuiApplication::clipboard()->text().isEmpty()) menu.addAction(text(120), input_, &QPlainTextEdit::paste);
    menu.addAction(QCoreApplication::translate("QWidgetTextControl", "Select All"), input_, &QPlainTextEdit::selectAll)
        ->setEnabled(!input_->Text().isEmpty());
    menu.addSeparator();
    const QString folder = QString::fromStdString(chat_->ProgramDir());
    menu.addAction(text(12) + " ...", this, [this, folder] {
        const QString file = QFileDialog::getOpenFileName(this, QString(), QDir::homePath());
        QDir::setCurrent(folder);
        if (!file.isEmpty()) SetInputText(InputText() + FileLinkMarkup(Utf8ToCp1251(file.toStdString())));
    });
    menu.addAction(text(11) + " ...", this, [this, folder] {
        const QString file = QFileDialog::getOpenFileName(this, QString(), QDir::homePath(),
                                                          "Image Files (*.bmp *.jpg *.png *.gif);;All Files (*)");
        QDir::setCurrent(folder);
        if (!file.isEmpty()) SetInputText(InputText() + PictureMarkup(Utf8ToCp1251(file.toStdString())));
    });
    menu.addSeparator();
    menu.addAction(text(38), this, [this] { chat_->TranslateInput(); });
}

void ChatMainWindow::PlaceToolWindow(ViewRole role, const WindowRect& r) {
    auto it = views_.find(role);
    if (it == views_.end()) return;
    // The rectangle is the outer one, title bar included (known once the window was shown).
    QWidget* view = it->second;
    const int titleBar = view->frameGeometry().height() - view->height();
    view->resize(r.right - r.left, std::max(1, r.bottom - r.top - titleBar));
    view->move(r.left, r.top);
}

void ChatMainWindow::DragToolWindow(ViewRole role) {
    auto it = views_.find(role);
    if (it != views_.end() && it->second->windowHandle()) it->second->windowHandle()->startSystemMove();
}

void ChatMainWindow::ShowCopyMenu(ViewRole role) {
    if (role != ViewRole::ChatText && role != ViewRole::SecondText) return;
    auto it = views_.find(role);
    if (it == views_.end() || !chat_) return;
    auto* view = static_cast<CZeltoChatText*>(it->second);
    const LanguageTable& lang = chat_->Language();
    QMenu menu(this);
    menu.addAction(FromCp1251(lang.LangString(1)), this, [view] { view->CopySelection(); });
    menu.addAction(FromCp1251(lang.LangString(4)), this, [view] { view->CopyAll(); });
    menu.addAction(FromCp1251(lang.LangString(5)), this, [this, role] { CopySelectionToInput(role); });
    menu.addSeparator();
    menu.addAction(FromCp1251(lang.LangString(14)), this, [this] { chat_->OnCommand(ID_HISTORY_MAIN); });
    menu.addAction(FromCp1251(lang.LangString(15)), this, [this] { chat_->OnCommand(ID_HISTORY_PRIVATE); });
    menu.addAction(ConnectionCheckCaption(*chat_), this, [this] { ShowConnectionCheck(this, *chat_); });
    const size_t waiting = chat_->Waiting().All().size();
    menu.addAction(FromCp1251(lang.Extra(ExtraText::WaitingTitle)) + QString(" (%1)").arg(waiting), this,
                   [this] { ShowWaitingMessages(*chat_, this); });
    AddPluginMenu(menu);
    menu.exec(clicks_->Last());
}

void ChatMainWindow::CopySelectionToInput(ViewRole role) {
    auto it = views_.find(role);
    if (it == views_.end()) return;
    // Asked of the page, not the clipboard: with nothing selected its old content would come.
    QPointer<InputBox> input(input_);
    static_cast<CZeltoChatText*>(it->second)->TakeSelectedText([input](const QString& text) {
        if (input && !text.isEmpty()) input->insertPlainText(text);
    });
}

void ChatMainWindow::AddPluginMenu(QMenu& menu) {
    menu.addSeparator();
    QMenu* plugins = menu.addMenu(FromCp1251(chat_->Language().LangString(0)));
    for (const PluginMenu& plugin : chat_->PluginMenus()) {
        QMenu* sub = plugins->addMenu(FromCp1251(plugin.name));
        // A sub-menu has no check mark of its own: its title action carries it.
        sub->menuAction()->setCheckable(true);
        sub->menuAction()->setChecked(plugin.checked);
        // A plug-in with nothing to offer (one a fault switched off) is shown, greyed.
        sub->menuAction()->setEnabled(!plugin.items.empty());
        for (const PluginMenuItem& item : plugin.items) {
            if (item.command == 0) sub->addSeparator();
            else sub->addAction(FromCp1251(item.caption), this, [this, c = item.command] { chat_->OnCommand(c); });
        }
    }
    plugins->setEnabled(!plugins->isEmpty());
}

void ChatMainWindow::ShowUserMenu(const std::string& picked) {
    if (!chat_ || picked.empty()) return;
    const std::string name = chat_->Roster().NameOf(picked);
    const std::string ip = chat_->Roster().IpOfName(name);
    const LanguageTable& lang = chat_->Language();
    auto text = [&](int n) { return FromCp1251(lang.LangString(n)); };
    // Addressed by identity: the name is shown, never read back from the input.
    auto address = [this, picked](int command) { chat_->AddressFromMenu(command, picked); };
    QMenu menu(this);
    // Each item carries its command number.
    auto item = [this](QMenu& into, const QString& caption, int command, auto run) {
        QAction* action = into.addAction(caption, this, run);
        action->setData(command);
        return action;
    };
    item(menu, text(27), ID_USER_MESSAGE, [address] { address(ID_USER_MESSAGE); });
    item(menu, text(21), ID_USER_ALERT, [address] { address(ID_USER_ALERT); });
    item(menu, text(29), ID_USER_SOUND_SIGNAL, [address] { address(ID_USER_SOUND_SIGNAL); });
    if (!chat_->Roster().IsMember(picked)) {
        menu.addSeparator();
        item(menu, text(23), ID_USER_INVITE, [this, name] { chat_->InviteToConference(name); });
    }
    const auto& groups = chat_->Roster().GroupNames();
    if (chat_->User().groupsOn && !groups.empty()) {
        menu.addSeparator();
        QMenu* sub = menu.addMenu(text(17));
        for (size_t i = 0; i < groups.size() && ID_USER_GROUP_FIRST + static_cast<int>(i) <= ID_USER_GROUP_LAST; ++i)
            item(*sub, FromCp1251(groups[i]), ID_USER_GROUP_FIRST + static_cast<int>(i), [this, picked, i] {
                if (AssignGroup(chat_->Roster(), chat_->User().ProfilePath(), picked, static_cast<int>(i)))
                    chat_->RebuildUserList();
            });
    }
    menu.addSeparator();
    auto request = [this, name](int command) { chat_->OnUserCommand(command, name); };
    const OverrideTexts texts{&lang, chat_->ProgramDir() + LanguageTable::FilePath(lang.Name())};
    const std::string profile = chat_->ProgramDir() + chat_->User().ProfilePath();
    // Names that cannot be an ini key get no settings of their own.
    item(menu, text(77), ID_USER_SOUNDS, [this, texts, profile, name] {
        COverrideSound dialog(texts, profile, chat_->ProgramDir() + "sound", name,
                              [this](const std::string& file) { chat_->PlaySoundFile(file); }, this);
        dialog.exec();
    })->setEnabled(!UserSoundKey(name, 0).empty());
    item(menu, texts.Menu(kColoursMenuString, "Personal colours"), ID_USER_COLOURS, [this, texts, profile, name] {
        OverrideColor dialog(texts, profile, name, this);
        dialog.exec();
    })->setEnabled(IsStorableColourName(name));
    item(menu, text(25), ID_USER_PROCLIST, [request] { request(ID_USER_PROCLIST); });
    item(menu, text(26), ID_USER_SYSINFO, [request] { request(ID_USER_SYSINFO); });
    // One transfer at a time: its items come back when it has ended.
    if (!chat_->UserTransferRunning()) {
        menu.addSeparator();
        item(menu, text(24), ID_USER_AVATAR, [request] { request(ID_USER_AVATAR); });
        item(menu, text(102), ID_USER_DESKTOP, [request] { request(ID_USER_DESKTOP); });
        item(menu, text(104), ID_USER_SENDFILE, [request] { request(ID_USER_SENDFILE); });
    }
    menu.addSeparator();
    item(menu, text(7), ID_USER_SHARES, [request] { request(ID_USER_SHARES); });
    item(menu, text(8), ID_USER_WEB, [request] { request(ID_USER_WEB); });
    menu.addSeparator();
    const bool ignored = chat_->IsIgnored(ip);
    QAction* toggle = item(menu, text(ignored ? 51 : 50) + " " + text(53), ID_USER_IGNORE,
                           [request] { request(ID_USER_IGNORE); });
    toggle->setCheckable(true);
    toggle->setChecked(ignored);
    item(menu, text(10) + " " + FromCp1251(name), ID_USER_IGNORE_NAME, [request] { request(ID_USER_IGNORE_NAME); });
    item(menu, text(10) + " " + FromCp1251(ip), ID_USER_IGNORE_IP, [request] { request(ID_USER_IGNORE_IP); });
    menu.addSeparator();
    item(menu, text(20), ID_USER_REFRESH, [this] { chat_->RefreshPresence(); });
    AddPluginMenu(menu);
    menu.exec(clicks_->Last());
}

void ChatMainWindow::ShowChatModeMenu() {
    if (!chat_) return;
    QMenu menu(this);
    AddModeItems(menu);
    menu.exec(clicks_->Last());
}

void ChatMainWindow::AddModeItems(QMenu& menu) {
    const LocalUser& user = chat_->User();
    for (int mode = 1; mode <= 4; ++mode) {
        QAction* item = menu.addAction(FromCp1251(user.modes[static_cast<size_t>(mode - 1)].text), this,
                                       [this, mode] { chat_->SetChatMode(mode); });
        item->setCheckable(true);
        item->setChecked(mode == user.mode);
    }
}

void ChatMainWindow::ShowProfileMenu() {
    if (!chat_) return;
    QMenu menu(this);
    const auto& profiles = chat_->Profiles();
    for (size_t i = 0; i < profiles.size() && kProfileCommandBase + static_cast<int>(i) <= kProfileCommandLast; ++i) {
        QAction* item = menu.addAction(FromCp1251(profiles[i]), this,
                                       [this, i] { chat_->SwitchProfile(kProfileCommandBase + static_cast<int>(i)); });
        item->setCheckable(true);
        item->setChecked(profiles[i] + ".cfg" == chat_->User().profileFile);
    }
    menu.exec(clicks_->Last());
}

void ChatMainWindow::ShowOwnMenu() {
    if (!chat_) return;
    const LanguageTable& lang = chat_->Language();
    auto text = [&](int n) { return FromCp1251(lang.LangString(n)); };
    QMenu menu(this);
    // The mode; the nickname and the card are changed in the options editor.
    AddModeItems(*menu.addMenu(text(60)));
    menu.addAction(text(35), this, [this] { chat_->OnCommand(ID_OPTIONS); });
    menu.addAction(text(26), this, [this] { chat_->OnCommand(ID_SHOW_OWN_INFO); });
    if (chat_->Roster().IsMember(chat_->OwnId()))
        menu.addAction(text(39), this, [this] { chat_->LeaveConference(); });
    menu.exec(clicks_->Last());
}

void ChatMainWindow::ShowGroupMenu(const std::string& group) {
    if (!chat_ || group.empty()) return;
    const LanguageTable& lang = chat_->Language();
    auto text = [&](int n) { return FromCp1251(lang.LangString(n)); };
    auto compose = [this, group](const char* keyword) {
        SetInputText(std::string(keyword) + "->" + group + ":");
        FocusInput();
    };
    QMenu menu(this);
    menu.addAction(text(30), this, [compose] { compose("MSGGROUP"); });
    menu.addAction(text(28), this, [compose] { compose("ALERTGROUP"); });
    menu.addAction(text(31), this, [this, group] {
        chat_->SendToUserGroup(3, "-", chat_->Roster().GroupIndex(group), group);
    });
    menu.exec(clicks_->Last());
}

int ChatMainWindow::ScreenRight() const {
    const QScreen* s = screen();
    return s ? s->geometry().right() : 1024;
}

void ChatMainWindow::RemoveSkinElements() {
    pictures_.clear();
    if (pageMark_) pageMark_->hide();
    for (auto& [button, widget] : buttons_) widget->deleteLater();
    buttons_.clear();
    // Their badges go with them.
    badges_.clear();
}

void ChatMainWindow::ShowSkinError(const std::string& text) {
    QMessageBox::critical(this, "Zelto Chat", FromCp1251(text));
}

void ChatMainWindow::SetMainElements(const SkinMainElements& main) {
    main_ = main;
    if (!skinned_) {
        // From now on the skin places everything; the frame is the skin's own.
        skinned_ = true;
        delete layout_;
        layout_ = nullptr;
        pages_ = nullptr;
        input_->setMinimumHeight(0);
        input_->setMaximumHeight(QWIDGETSIZE_MAX);
        setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    }
    setMinimumSize(std::max(main.width, 200), std::max(main.height, 150));
    input_->setStyleSheet(QString("QPlainTextEdit { color: %1; background-color: %2; border: 1px solid %3;"
                                  " border-radius: 4px; padding: 2px 4px; }")
                              .arg(Hex(main.inputText), Hex(main.inputBackground), Hex(main.alertHighlight)));
    // Menus and alert windows are drawn by the program, in the skin's colours; the tray menu too.
    qApp->setStyleSheet(SkinMenuAndAlertStyle(main));
}

void ChatMainWindow::AddPicture(const SkinPicture& picture, const std::string& path) {
    QImage image = LoadSkinImage(QString::fromStdString(path), devicePixelRatioF(), picture.mask.has_value());
    image = image.convertToFormat(QImage::Format_ARGB32);
    if (picture.mask) {
        const QRgb mask = qRgb(picture.mask->r, picture.mask->g, picture.mask->b);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if ((line[x] & 0xFFFFFF) == (mask & 0xFFFFFF)) line[x] = 0;
        }
    }
    pictures_.push_back({picture, image});
}

void ChatMainWindow::AddButton(const SkinButton& button, const std::string& path) {
    auto* widget = new SkinToolButton(this);
    const QPixmap pixmap = QPixmap::fromImage(LoadSkinImage(QString::fromStdString(path), devicePixelRatioF(), false));
    const int tip = ButtonToolTipString(button.name);
    if (pixmap.isNull()) {
        // Its picture is missing: the button stays, as small text in the room its siblings
        // take (the skin places it for a picture of about their size).
        const QString caption = tip >= 0 && chat_ ? FromCp1251(chat_->Language().LangString(tip))
                                                  : FromCp1251(button.name);
        QSize size(28, 28);
        for (const auto& sibling : buttons_)
            if (!static_cast<QToolButton*>(sibling.second)->icon().isNull()) size = sibling.second->size();
        QFont font = widget->font();
        font.setPixelSize(9);
        widget->setFont(font);
        widget->setText(QFontMetrics(font).elidedText(caption, Qt::ElideRight, size.width() - 2));
        widget->setToolButtonStyle(Qt::ToolButtonTextOnly);
        widget->setFixedSize(size);
    } else {
        // A sharper picture for a dense screen keeps the size the skin gives it.
        const QSize size = pixmap.deviceIndependentSize().toSize();
        widget->setIcon(pixmap);
        widget->setIconSize(size);
        widget->setFixedSize(size);
    }
    widget->setAutoRaise(true);
    // The button of the page in front is marked.
    widget->setStyleSheet(QString("QToolButton { border: none; border-radius: 4px; padding: 0; background: transparent;"
                                  " color: %2; }"
                                  "QToolButton:checked { background-color: %1; }"
                                  // Where Tab went, for those who use the keyboard.
                                  "QToolButton:focus { border: 2px solid %3; }")
                              .arg(Hex(main_.menuHighlight), Hex(main_.menuText), Hex(main_.alertHighlight)));
    widget->setObjectName(QString::fromStdString(button.name));
    widget->setCheckable(PageOfButton(button.command) >= 0);
    if (tip >= 0 && chat_) widget->SetExplanation(FromCp1251(chat_->Language().LangString(tip)));
    else if (button.command == ID_MINIMIZE) widget->SetExplanation(QCoreApplication::translate("QMdiSubWindow", "Minimize"));
    else widget->SetExplanation(FromCp1251(button.name));
    const int command = button.command;
    QObject::connect(widget, &QToolButton::clicked, this, [this, command] {
        if (command == ID_CHATMODE_MENU) ShowChatModeMenu();
        else if (command == ID_PROFILE_MENU) ShowProfileMenu();
        else if (chat_) chat_->OnCommand(command);
        // A click toggles a checkable button by itself; the page shown decides.
        MarkPageButton();
    });
    widget->setProperty("pageTip", widget->toolTip());
    widget->show();
    buttons_.push_back({button, widget});
    MarkPageButton();
    ShowUnreadCounts();
}

int ChatMainWindow::PageOfButton(int command) {
    switch (command) {
        case ID_SHOW_MAIN: return static_cast<int>(PageMode::Main);
        case ID_SHOW_BOARD: return static_cast<int>(PageMode::Board);
        case ID_SHOW_CONFERENCE: return static_cast<int>(PageMode::Conference);
        default: return -1;
    }
}

void ChatMainWindow::MarkPageButton() {
    if (!chat_) return;
    const int shown = static_cast<int>(chat_->User().pageMode);
    QWidget* marked = nullptr;
    for (auto& [button, widget] : buttons_) {
        const int page = PageOfButton(button.command);
        if (page < 0) continue;
        static_cast<QToolButton*>(widget)->setChecked(page == shown);
        if (page == shown) marked = widget;
    }
    // The button pictures have backgrounds of their own: a bar in the accent colour under the
    // button says which page is in front.
    if (!marked) {
        if (pageMark_) pageMark_->hide();
        return;
    }
    if (!pageMark_) pageMark_ = new QWidget(this);
    pageMark_->setStyleSheet(QString("background-color: %1; border-radius: 1px;").arg(Hex(main_.alertHighlight)));
    const QRect r = marked->geometry();
    pageMark_->setGeometry(r.left() + 6, r.bottom() + 3, std::max(4, r.width() - 12), 3);
    pageMark_->show();
    pageMark_->raise();
}

void ChatMainWindow::FinishLayout() { LayOutSkin(); }

void ChatMainWindow::ChainTabOrder() {
    // Writing first, then reading, then choosing a page, then the tools.
    std::vector<QWidget*> order{input_};
    for (ViewRole role : {ViewRole::ChatText, ViewRole::SecondText, ViewRole::Board, ViewRole::UserList})
        if (views_.count(role)) order.push_back(views_[role]);
    for (bool pages : {true, false})
        for (auto& [button, widget] : buttons_)
            if ((PageOfButton(button.command) >= 0) == pages) order.push_back(widget);
    for (size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

void ChatMainWindow::NameForReaders() {
    if (!chat_) return;
    const LanguageTable& lang = chat_->Language();
    input_->setAccessibleName(FromCp1251(lang.Extra(ExtraText::InputName)));
    const std::map<ViewRole, std::string> names = {{ViewRole::ChatText, lang.LangString(19)},
                                                   {ViewRole::SecondText, lang.LangString(22)},
                                                   {ViewRole::Board, lang.LangString(16)},
                                                   {ViewRole::UserList, lang.Extra(ExtraText::UserListName)},
                                                   {ViewRole::Smiles, lang.LangString(65)}};
    for (auto& [role, view] : views_) view->setAccessibleName(FromCp1251(names.at(role)));
}

void ChatMainWindow::LayOutSkin() {
    if (!skinned_) return;
    const int w = width(), h = height();
    for (auto& [button, widget] : buttons_) {
        const SkinPoint at = ButtonOrigin(button, w, h);
        widget->move(at.x, at.y);
        widget->raise();
    }
    MarkPageButton();
    auto place = [&](QWidget* widget, const SkinBox& box) {
        if (!widget) return;
        // Sizes the plain window asked for no longer hold: the skin decides.
        widget->setMinimumSize(0, 0);
        const SkinRect r = ViewRect(box, main_, w, h);
        widget->setGeometry(r.left, r.top, r.Width(), r.Height());
    };
    for (auto& [role, view] : views_) {
        if (role == ViewRole::UserList) place(view, main_.list);
        else if (role != ViewRole::Smiles) place(view, main_.text);
    }
    place(input_, main_.input);
    ChainTabOrder();
    // Rounded corners and other cut-outs: the mask pixels leave the window's shape.
    QRegion shape(0, 0, w, h);
    for (const Picture& p : pictures_) {
        if (!p.skin.CutsWindowShape() || p.image.isNull()) continue;
        const SkinRect r = PictureRect(p.skin, w, h);
        if (r.Width() <= 0 || r.Height() <= 0) continue;
        const QImage scaled = p.image.scaled(r.Width(), r.Height());
        const QBitmap holes = QBitmap::fromImage(scaled.createAlphaMask().convertToFormat(QImage::Format_Mono));
        shape -= QRegion(QRect(r.left, r.top, r.Width(), r.Height())) - QRegion(holes).translated(r.left, r.top);
    }
    setMask(shape);
    update();
}

void ChatMainWindow::paintEvent(QPaintEvent*) {
    if (!skinned_) return;
    QPainter painter(this);
    const int w = width(), h = height();
    for (const Picture& p : pictures_) {
        const SkinRect r = PictureRect(p.skin, w, h);
        if (r.Width() > 0 && r.Height() > 0) painter.drawImage(QRect(r.left, r.top, r.Width(), r.Height()), p.image);
    }
}

void ChatMainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayOutSkin();
}

void ChatMainWindow::mousePressEvent(QMouseEvent* event) {
    if (!skinned_ || event->button() != Qt::LeftButton || !windowHandle()) return QWidget::mousePressEvent(event);
    std::vector<SkinPicture> pictures;
    for (const Picture& p : pictures_) pictures.push_back(p.skin);
    const QPoint at = event->position().toPoint();
    const SkinHit hit = HitTest(pictures, width(), height(), at.x(), at.y());
    if (hit.kind == SkinHitKind::Move) {
        // The desktop moves the window where it can (Wayland lets no program place itself).
        if (!windowHandle()->startSystemMove()) {
            dragFrom_ = event->globalPosition().toPoint() - pos();
            static bool said = false;
            if (chat_ && !std::exchange(said, true))
                chat_->WriteLog(":::The desktop does not move the window for us (platform " +
                                QGuiApplication::platformName().toStdString() + "); it follows the mouse itself");
        }
        return;
    }
    if (hit.kind == SkinHitKind::Size) {
        Qt::Edges edges;
        switch (hit.edge) {
            case SkinMouseEvent::SizeRightBottom: edges = Qt::RightEdge | Qt::BottomEdge; break;
            case SkinMouseEvent::SizeRightTop: edges = Qt::RightEdge | Qt::TopEdge; break;
            case SkinMouseEvent::SizeLeftBottom: edges = Qt::LeftEdge | Qt::BottomEdge; break;
            case SkinMouseEvent::SizeLeftTop: edges = Qt::LeftEdge | Qt::TopEdge; break;
            case SkinMouseEvent::SizeTop: edges = Qt::TopEdge; break;
            case SkinMouseEvent::SizeBottom: edges = Qt::BottomEdge; break;
            case SkinMouseEvent::SizeLeft: edges = Qt::LeftEdge; break;
            case SkinMouseEvent::SizeRight: edges = Qt::RightEdge; break;
            default: break;
        }
        if (edges) windowHandle()->startSystemResize(edges);
        return;
    }
    QWidget::mousePressEvent(event);
}

void ChatMainWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!dragFrom_ || !(event->buttons() & Qt::LeftButton)) return QWidget::mouseMoveEvent(event);
    move(event->globalPosition().toPoint() - *dragFrom_);
}

void ChatMainWindow::mouseReleaseEvent(QMouseEvent* event) {
    dragFrom_.reset();
    QWidget::mouseReleaseEvent(event);
}

bool ChatMainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (drops_->Filter(listView_, watched, event)) return true;
    if (event->type() == QEvent::Close && chat_ && !chat_->Ended() && views_.count(ViewRole::Smiles) &&
        watched == views_[ViewRole::Smiles]) {
        event->ignore();
        chat_->HideSmiles();
        return true;
    }
    if (event->type() == QEvent::Show || event->type() == QEvent::Hide) {
        for (const auto& [role, view] : views_)
            if (view == watched) MarkPageButton();
        return false;
    }
    if (event->type() != QEvent::KeyPress || !chat_ || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != this) return false;
    // A key travels up from the focus widget to its parents; take it once, at the start.
    QWidget* focus = QApplication::focusWidget();
    if (focus ? widget != focus : widget != this) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const int code = VirtualKeyFromQt(key->key(), key->modifiers() & Qt::KeypadModifier);
    return code != 0 && chat_->OnKeyDown(code);
}

}  // namespace zc
