// The board as the local user meets it: the page, posting and deleting.
#include <filesystem>

#include "app/chat_main_dlg.h"
#include "base/message_text.h"
#include "base/text_helpers.h"
#include "net/chat_packet.h"
#include "net/outgoing_forms.h"
#include "platform/dialogs.h"
#include "platform/timers.h"
#include "services/board_entries.h"
#include "services/board_store.h"
#include "ui/html/board_page.h"
#include "ui/html/markup.h"

namespace zc {
namespace {

// Size and time of a file, so that built entries follow its edits.
std::string FileStamp(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) return "-";
    const auto time = std::filesystem::last_write_time(path, ec).time_since_epoch().count();
    return std::to_string(size) + "@" + std::to_string(time);
}

}  // namespace

void CChatMainDlg::ShowBoardPage() {
    if (!boardView_ || !chat_) return;
    const bool showImages = global_.showImages;
    BoardEntryFormat format{
        p_.clock,
        user_.boardMessageLife,
        [showImages](const std::string& s) { return MessageTextSanitizer(s, true, showImages); },
        [this](const std::string& s) { return user_.disableSmiles ? s : SmileSubstitution(smiles_, s, programDir_); },
        [this](const std::string& name) { return chat_->UserNameSpan(name); },
        [this](const std::string& name) {
            const std::string colour = chat_->ColourOverride(name, 0);
            return colour == name ? std::string() : colour;
        },
        language_.LangString(2),
        ChatUrlLinker};
    // Entries depend on the profile's colour overrides, the smiles and these switches: while none
    // of them changes, a rebuild converts only the messages that are new.
    std::string smiles;
    for (const auto& pair : smiles_.Pairs()) smiles += pair.first + '\0' + pair.second + '\0';
    format.key = std::string(showImages ? "1" : "0") + (user_.disableSmiles ? "1" : "0") + FileStamp(user_.ProfilePath()) +
                 "|" + std::to_string(std::hash<std::string>{}(smiles)) + "|" + programDir_ + "|" + format.deleteTitle;
    const std::array<std::string, 4> captions{language_.LangString(111), language_.LangString(112),
                                              language_.LangString(113), language_.LangString(114)};
    boardStale_ = false;
    boardView_->WritePage(BoardPage(programDir_, styles_.theme, styles_.boardStyle, captions,
                                    board_.entries.Rows(board_.files, format), boardCategory_));
}

// Messages from peers come as fast as they are sent: the page is built only while it is in front,
// at most once a second, and opening it builds it afresh.
void CChatMainDlg::BoardChanged() {
    if (user_.pageMode != PageMode::Board) return;
    if (p_.timers.IsArmed(kBoardPageTimer)) {
        boardStale_ = true;
        return;
    }
    ShowBoardPage();
    p_.timers.SetTimer(kBoardPageTimer, 1000);
}

void CChatMainDlg::OnBoardPageTimer() {
    p_.timers.KillTimer(kBoardPageTimer);
    if (boardStale_) BoardChanged();
}

bool CChatMainDlg::PostToBoard(const std::string& text) {
    const std::string category = boardCategory_.size() == 1 ? boardCategory_ : "1";
    const std::string record = SaveBoardMessage(p_.clock, text, user_.nickname, category, ownIp_);
    if (record.size() <= 5) return RefuseToSend(*this, language_.Extra(ExtraText::BoardNotSaved, kBoardFolder));
    if (!PacketFits(CMD_BOARD_MESSAGE, record, kEveryone)) {
        // A message the others could never get is not kept here either.
        std::error_code ec;
        std::filesystem::remove(std::string(kBoardFolder) + "/" + ExtractField(record, ";", 0), ec);
        return RefuseToSend(*this, language_.Extra(ExtraText::TooLong));
    }
    board_.files.Saved(ExtractField(record, ";", 0), ExtractField(record, ";", 1));
    board_.files.Trim(user_.nickname, ownIp_);
    SendPacket(CMD_BOARD_MESSAGE, record, kEveryone);
    ShowBoardPage();
    return true;
}

void CChatMainDlg::SendOwnBoardList(const std::string& target) {
    const std::string list = board_.files.OwnNames(user_.nickname, ownIp_);
    if (list.size() <= 5) return;
    // A list longer than one packet goes out in several, each cut after a name.
    const auto empty = BuildPacketText(Sender(), CMD_BOARD_LIST, "", target);
    if (!empty) return;
    for (const std::string& part : SplitAfterSeparators(list, ';', kMaxPacketText - empty->size()))
        SendPacket(CMD_BOARD_LIST, part, target);
}

void CChatMainDlg::OnBoardCategory(const std::string& id) {
    if (id.size() == 1 && id[0] >= '1' && id[0] <= '4') boardCategory_ = id;
}

void CChatMainDlg::OnBoardDelete(const std::string& id) {
    if (BoardPathOfWirePath(id).empty()) return;
    if (!p_.dialogs) return;
    p_.dialogs->AskQuestion(WindowTitle(), language_.LangString(2), [this, id](bool yes) {
        if (yes) DeleteBoardMessage(id);
    });
}

void CChatMainDlg::DeleteBoardMessage(const std::string& id) {
    const std::string path = BoardPathOfWirePath(id);
    if (path.empty()) return;
    const bool mine = IsOwnBoardMessage(path, user_.nickname);
    if (board_.files.Remove(id.substr(std::string(kBoardWirePrefix).size())) && mine)
        SendPacket(CMD_BOARD_DELETE, id, kEveryone);
    ShowBoardPage();
}

}  // namespace zc
