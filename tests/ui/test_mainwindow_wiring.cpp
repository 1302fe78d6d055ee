// SPDX-License-Identifier: GPL-3.0-or-later
// Every event handler <control>_<event> of the main window is connected to
// its control's signal, so that the handler runs for the user's and the
// program's changes alike.
#include <gtest/gtest.h>

#include <QAction>
#include <QMetaMethod>

#include "ui/frmMain_BackUp.h"

namespace {

// QObject::receivers is protected; this reads it for a given object.
struct ReceiverCount : QObject {
    static int of(const QObject* o, const char* signal) {
        return static_cast<const ReceiverCount*>(o)->receivers(signal);
    }
};

// Handlers of objects that other code creates (components, the cipher) or
// calls (the form's own events, the product page).
bool notAControlEvent(const QString& handler) {
    for (const char* p : {"Form_", "Inet2_", "sckSMTP_", "CDWriterXP1_", "cypher_"})
        if (handler.startsWith(p))
            return true;
    return handler == "mnuProduct_Click";
}

const char* signalFor(const QString& event, const QObject* control) {
    if (qobject_cast<const QAction*>(control))
        return event == "Click" ? SIGNAL(triggered(bool)) : nullptr;
    static const QMap<QString, const char*> map = {
        {"Click", SIGNAL(Click())},         {"DblClick", SIGNAL(DblClick())},
        {"Change", SIGNAL(Change())},       {"GotFocus", SIGNAL(GotFocus())},
        {"LostFocus", SIGNAL(LostFocus())}, {"Timer", SIGNAL(Timer())},
        {"Select", SIGNAL(Select())},       {"ButtonClick", SIGNAL(ButtonClick(QString))},
        {"ButtonMenuClick", SIGNAL(ButtonMenuClick(QString))},
    };
    return map.value(event, nullptr);
}

}  // namespace

TEST(MainWindowWiring, EveryHandlerIsConnectedToItsControl) {
    frmMain_BackUp w;
    const QMetaObject* mo = w.metaObject();
    QStringList checked;
    for (int i = mo->methodOffset(); i < mo->methodCount(); ++i) {
        const QMetaMethod m = mo->method(i);
        if (m.methodType() != QMetaMethod::Slot)
            continue;
        const QString handler = QString::fromLatin1(m.name());
        if (notAControlEvent(handler))
            continue;
        const int cut = handler.lastIndexOf('_');
        ASSERT_GT(cut, 0) << handler.toStdString();
        const QString control = handler.left(cut), event = handler.mid(cut + 1);
        // A control array's handler serves each element "<name>_<index>".
        QList<QObject*> targets;
        if (QObject* o = w.findChild<QObject*>(control))
            targets << o;
        for (int k = 0; k < 10; ++k)
            if (QObject* o = w.findChild<QObject*>(control + "_" + QString::number(k)))
                targets << o;
        ASSERT_FALSE(targets.isEmpty()) << "no control for " << handler.toStdString();
        for (QObject* o : targets) {
            const char* sig = signalFor(event, o);
            ASSERT_NE(sig, nullptr) << handler.toStdString();
            EXPECT_GE(ReceiverCount::of(o, sig), 1) << handler.toStdString() << " on "
                                                    << o->objectName().toStdString();
            checked << handler;
        }
    }
    // The scan reached handlers of each kind of control.
    for (const char* h : {"optBuMode_Click", "txtPathBackUp_Change", "txtExclusions_LostFocus", "cmbProfiles_GotFocus",
                          "mnuExit_Click", "tbTools_ButtonMenuClick", "TimerRT_Timer", "FolderTreeview1_Select",
                          "frmZipStatistc_DblClick"})
        EXPECT_TRUE(checked.contains(h)) << h;
}
