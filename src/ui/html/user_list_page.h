#pragma once
#include <functional>
#include <string>

namespace zc {

class CUserRoster;
class HtmlView;
struct LocalUser;

// The editing-schema meta element every page carries in its head.
inline const char kTargetSchemaMeta[] =
    "<meta name=\"vs_targetSchema\" content=\"http://schemas.microsoft.com/intellisense/ie5\">";

// The body opening and script of the list-like pages (user list, smiles): arrow cursor
// everywhere but in inputs and anchors, and no text selection outside inputs.
extern const char kListPageScript[];

// The text itself, or its first 17 characters and "..." when cut and longer than that; a
// character reference ("&#128512;") counts as one character and is never split.
std::string ShortenText(const std::string& text, bool cut);

// The page shell; the table goes into its "LIST_TEXT" element.
std::string UserListShell(const std::string& programFolder, const std::string& theme, const std::string& listStyle);
bool PrepareUserList(HtmlView* view, const std::string& programFolder, const std::string& theme,
                     const std::string& listStyle);

struct UserListContext {
    const CUserRoster& roster;
    const LocalUser& user;        // avatar size, groups on, sort order, page mode
    std::string ownId;            // the local identity: its record gets the own row
    std::string programFolder;    // ends in "/"
    std::string avatarLabel;      // language string 69
};

// The table of two rows per user, grouped under the group names when groups are on
// (never on the second chat page).
std::string UserListTable(const UserListContext& ctx);

// Replaces the inner HTML of the element with that id; false when the view or element is missing.
using SetElementHtml = std::function<bool(const std::string& id, const std::string& html)>;

// Rebuilds the table inside the page written by PrepareUserList.
bool RefreshUserList(const SetElementHtml& setInner, const UserListContext& ctx);
bool RefreshUserList(HtmlView* view, const UserListContext& ctx);

// Puts the user picked in a list or chat page (identity or name) into group n; a number above
// the group count becomes 1. False when the pick is too short to name anybody; the caller then
// has nothing to refresh.
bool AssignGroup(CUserRoster& roster, const std::string& profilePath, const std::string& picked, int n);

}  // namespace zc
