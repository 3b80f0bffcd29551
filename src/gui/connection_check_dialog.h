#pragma once
#include <QString>
#include <QWidget>

namespace zc {

class CChatMainDlg;

// "Connection check" of the chat page's menu: runs the checks off the user interface thread
// and shows their lines as they come. One dialog at a time; a second call brings it forward.
void ShowConnectionCheck(QWidget* parent, const CChatMainDlg& chat);

// The menu item's caption in the chosen language.
QString ConnectionCheckCaption(const CChatMainDlg& chat);

}  // namespace zc
