#include "gui/waiting_window.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/chat_main_dlg.h"
#include "base/cp1251.h"
#include "gui/chat_main_window.h"
#include "services/waiting_messages.h"

namespace zc {
namespace {

QString Extra(const CChatMainDlg& chat, ExtraText text) { return QString::fromStdString(Cp1251ToUtf8(chat.Language().Extra(text))); }

void Fill(QListWidget& list, CChatMainDlg& chat) {
    list.clear();
    for (const WaitingMessage& m : chat.Waiting().All()) {
        const QString line = QString("[%1] %2 %3: %4")
                                 .arg(m.number)
                                 .arg(TextFromCp1251(m.name), QString::fromStdString(chat.DateTimeText(m.written)),
                                      TextFromCp1251(m.text));
        auto* item = new QListWidgetItem(line, &list);
        item->setData(Qt::UserRole, m.number);
    }
    if (list.count() == 0) {
        auto* none = new QListWidgetItem(Extra(chat, ExtraText::WaitingNone), &list);
        none->setFlags(Qt::NoItemFlags);
    }
}

}  // namespace

void ShowWaitingMessages(CChatMainDlg& chat, QWidget* parent) {
    auto* dialog = new QDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setObjectName("waitingMessages");
    dialog->setWindowTitle(Extra(chat, ExtraText::WaitingTitle));
    auto* list = new QListWidget(dialog);
    list->setObjectName("waitingList");
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Fill(*list, chat);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    QPushButton* takeBack = buttons->addButton(Extra(chat, ExtraText::WaitingTakeBack), QDialogButtonBox::ActionRole);
    takeBack->setObjectName("takeBack");
    QObject::connect(takeBack, &QPushButton::clicked, dialog, [list, &chat] {
        for (QListWidgetItem* item : list->selectedItems()) chat.Waiting().Cancel(item->data(Qt::UserRole).toInt());
        Fill(*list, chat);
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(list);
    layout->addWidget(buttons);
    dialog->resize(560, 260);
    dialog->show();
}

}  // namespace zc
