// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Help", "About": the program's version and licence, the versions of the
// libraries it runs with, and where its settings, logs and snapshots are.
// Every value is plain text the operator can select and copy into a support
// request.
//
// Thread: UI thread only.
#include <QDialog>
#include <QString>

#include <vector>

class QLineEdit;

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    struct Fact {
        QString name;
        QString value;
    };
    // What the window shows, in its order.
    static std::vector<Fact> facts();

    explicit AboutDialog(QWidget* parent = nullptr);

    // The read-only field that shows the fact named `name`; null if none.
    QLineEdit* field(const QString& name) const;
};
