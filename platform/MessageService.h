#pragma once
// Message boxes with the system's fixed texts. Code asks the current service to show a
// box; the real one uses QMessageBox, tests install a RecordingMessageService.
#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

class QWidget;

enum class MsgIcon { None, Information, Question, Warning, Critical };
enum class MsgButtons { Ok, YesNo };
enum class MsgAnswer { Ok, Yes, No };

struct MessageBoxCall {
    QString text;
    QString caption;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
};

class MessageService {
public:
    virtual ~MessageService() = default;
    virtual MsgAnswer show(const MessageBoxCall &box, QWidget *owner) = 0;

    // The service in use; a QMessageBox one unless a test installed another.
    static MessageService &current();
    // Installs a service (not owned); nullptr goes back to the QMessageBox one.
    static void install(MessageService *service);

    // The plain message: the text, OK, the application title as caption, no icon.
    static void message(const QString &text, QWidget *owner = nullptr);
    static MsgAnswer box(const QString &text, const QString &caption, MsgIcon icon,
                         MsgButtons buttons = MsgButtons::Ok, QWidget *owner = nullptr);
};

class QtMessageService : public MessageService {
public:
    MsgAnswer show(const MessageBoxCall &box, QWidget *owner) override;
};

// Records every box and answers from a script (Yes/No boxes default to No when the
// script is empty). Installs itself for its lifetime.
class RecordingMessageService : public MessageService {
public:
    RecordingMessageService();
    ~RecordingMessageService() override;
    MsgAnswer show(const MessageBoxCall &box, QWidget *owner) override;

    std::vector<MessageBoxCall> calls;
    std::deque<MsgAnswer> answers;
    QStringList texts() const;
};
