#include "platform/MessageService.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace {
MessageService *installed = nullptr;
}

MessageService &MessageService::current()
{
    static QtMessageService real;
    return installed ? *installed : real;
}

void MessageService::install(MessageService *service) { installed = service; }

void MessageService::message(const QString &text, QWidget *owner)
{
    box(text, QCoreApplication::applicationName(), MsgIcon::None, MsgButtons::Ok, owner);
}

MsgAnswer MessageService::box(const QString &text, const QString &caption, MsgIcon icon,
                              MsgButtons buttons, QWidget *owner)
{
    return current().show(MessageBoxCall{text, caption, icon, buttons}, owner);
}

MsgAnswer QtMessageService::show(const MessageBoxCall &box, QWidget *owner)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (box.icon) {
    case MsgIcon::None: icon = QMessageBox::NoIcon; break;
    case MsgIcon::Information: icon = QMessageBox::Information; break;
    case MsgIcon::Question: icon = QMessageBox::Question; break;
    case MsgIcon::Warning: icon = QMessageBox::Warning; break;
    case MsgIcon::Critical: icon = QMessageBox::Critical; break;
    }
    const auto buttons = box.buttons == MsgButtons::YesNo ? (QMessageBox::Yes | QMessageBox::No)
                                                          : QMessageBox::StandardButtons(QMessageBox::Ok);
    QMessageBox mb(icon, box.caption, box.text, buttons, owner);
    const int r = mb.exec();
    if (box.buttons == MsgButtons::Ok) return MsgAnswer::Ok;
    return r == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
}

RecordingMessageService::RecordingMessageService() { install(this); }
RecordingMessageService::~RecordingMessageService() { install(nullptr); }

MsgAnswer RecordingMessageService::show(const MessageBoxCall &box, QWidget *)
{
    calls.push_back(box);
    if (!answers.empty()) {
        const MsgAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    return box.buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
}

QStringList RecordingMessageService::texts() const
{
    QStringList out;
    for (const auto &c : calls) out << c.text;
    return out;
}
