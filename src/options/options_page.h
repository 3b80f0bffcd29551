#pragma once
#include <QString>
#include <QWidget>
#include <string>

#include "options/options_store.h"

class QLabel;
class QLayout;
class QWidget;

namespace zc {

// One page of the editor beyond the user card: it checks its fields before anything is written
// and writes only what changed since it was loaded or last saved.
class COptionsPage : public QWidget {
    Q_OBJECT
public:
    explicit COptionsPage(const OptionsStore& store, QWidget* parent = nullptr);
    // Shows what is wrong beside the field; false when a field cannot be saved.
    virtual bool Check() = 0;
    // Writes the changed keys and adds their change flags; false when a file could not be written.
    virtual bool Write(std::string& flags) = 0;

protected:
    QString Tr(int number, const char* fallback) const;
    QString ChatTr(int number, const char* fallback) const;
    // A hidden red message, shown beside its field when the field is wrong.
    static QLabel* ErrorLabel(const QString& objectName);
    // The field with its message under it.
    static QLayout* WithError(QWidget* field, QLabel* error);

    const OptionsStore& store_;
};

// Puts a copy of source at target, copied beside it first so that a failed copy leaves the old
// file in place. A source that already is the target is left alone.
bool CopyOver(const QString& source, const QString& target);

inline QString Q(const std::string& s) { return QString::fromStdString(s); }
inline std::string S(const QString& s) { return s.toStdString(); }

}  // namespace zc
