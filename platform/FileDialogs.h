#pragma once
// The open dialogs and the folder picker, reached through an interface so tests can
// script them. Filters are given in the system's own form, descriptions and patterns
// alternating and separated by "|" ("Musica (mp3)|*.mp3|..."), and converted for Qt.
#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

class QWidget;

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // Opens a multi-selection open dialog. dialogName tells the dialogs of a window
    // apart: each remembers the filter chosen last, so the first filter is in force only
    // the first time. picturePreview adds a preview pane for pictures. Returns the chosen
    // files in the dialog's order, or an empty list when the user cancelled.
    virtual QStringList openFiles(QWidget *owner, const QString &dialogName, const QString &filter,
                                  bool picturePreview) = 0;
    // Lets the user choose a folder; returns it, or an empty string when cancelled.
    virtual QString pickFolder(QWidget *owner, const QString &title) = 0;

    static FileDialogs &current();
    // Installs a service (not owned); nullptr goes back to the real one.
    static void install(FileDialogs *dialogs);

    // "desc|pat1;pat2|desc2|pat3" -> {"desc (pat1 pat2 PAT1 PAT2)", "desc2 (pat3 PAT3)"}.
    // Patterns get their upper-case forms too, because names on Linux are case-sensitive
    // and pictures from cameras often come as .JPG.
    static QStringList qtFilters(const QString &filter);
};

class QtFileDialogs : public FileDialogs {
public:
    QStringList openFiles(QWidget *owner, const QString &dialogName, const QString &filter,
                          bool picturePreview) override;
    QString pickFolder(QWidget *owner, const QString &title) override;
};

// Answers from a script and records what was asked. An empty script cancels.
// Installs itself for its lifetime.
class ScriptedFileDialogs : public FileDialogs {
public:
    struct OpenCall {
        QString dialogName;
        QString filter;
        bool picturePreview = false;
    };
    ScriptedFileDialogs();
    ~ScriptedFileDialogs() override;
    QStringList openFiles(QWidget *owner, const QString &dialogName, const QString &filter,
                          bool picturePreview) override;
    QString pickFolder(QWidget *owner, const QString &title) override;

    std::deque<QStringList> openAnswers;
    std::deque<QString> folderAnswers;
    std::vector<OpenCall> openCalls;
    QStringList folderTitles;
};
