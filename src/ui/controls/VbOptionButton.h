// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRadioButton>

namespace ui {

class VbOptionButton;

// The option buttons of one container: selecting one clears the others.
// Unlike a Qt button group, every member may be cleared, so a group loaded
// as all "0" shows no selection, as VB does.
class VbOptionGroup : public QObject {
    Q_OBJECT
public:
    explicit VbOptionGroup(QObject* parent = nullptr) : QObject(parent) {}
    void add(VbOptionButton* button);
    const QList<QPointer<VbOptionButton>>& members() const { return members_; }
    VbOptionButton* selected() const;  // nullptr when none is selected

private:
    friend class VbOptionButton;
    void clearOthers(VbOptionButton* keep);
    QList<QPointer<VbOptionButton>> members_;
};

// A VB option button. Value true selects it (clearing the other members of
// its group) and raises Click at once, as a click by the user does; Value
// false only clears it. Index is the element number of a control array
// (-1 for a single control); the objectName of an array element is
// "<name>_<index>".
class VbOptionButton : public QRadioButton {
    Q_OBJECT
public:
    VbOptionButton(const QString& name, const QString& caption, int index = -1,
                   QWidget* parent = nullptr);

    bool Value() const { return isChecked(); }
    void setValue(bool value) { setChecked(value); }
    int Index() const { return index_; }

    QString Caption() const { return text(); }
    void setCaption(const QString& caption) { setText(caption); }

    VbOptionGroup* group() const { return group_; }

signals:
    void Click();

protected:
    void nextCheckState() override;

private:
    friend class VbOptionGroup;
    int index_;
    VbOptionGroup* group_ = nullptr;
};

}  // namespace ui
