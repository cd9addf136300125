#include "platform/FileDialogs.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHash>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>

namespace {
FileDialogs *installed = nullptr;

// The last filter chosen in each named dialog.
QHash<QString, QString> &lastFilters()
{
    static QHash<QString, QString> filters;
    return filters;
}
}

FileDialogs &FileDialogs::current()
{
    static QtFileDialogs real;
    return installed ? *installed : real;
}

void FileDialogs::install(FileDialogs *dialogs) { installed = dialogs; }

QStringList FileDialogs::qtFilters(const QString &filter)
{
    QStringList out;
    const QStringList parts = filter.split('|');
    for (int i = 0; i < parts.size(); i += 2) {
        const QString description = parts[i];
        const QString patternText = i + 1 < parts.size() ? parts[i + 1] : QStringLiteral("*");
        QStringList patterns;
        for (const QString &p : patternText.split(';', Qt::SkipEmptyParts)) patterns << p.trimmed();
        QStringList all = patterns;
        for (const QString &p : patterns) {
            const QString upper = p.toUpper();
            if (!all.contains(upper)) all << upper;
        }
        out << description + QStringLiteral(" (") + all.join(' ') + ')';
    }
    return out;
}

QStringList QtFileDialogs::openFiles(QWidget *owner, const QString &dialogName, const QString &filter,
                                     bool picturePreview)
{
    QFileDialog dialog(owner);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ReadOnly);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    const QStringList filters = qtFilters(filter);
    dialog.setNameFilters(filters);
    const QString last = lastFilters().value(dialogName);
    if (filters.contains(last)) dialog.selectNameFilter(last);

    if (picturePreview) {
        dialog.resize(780, 440);
        auto *preview = new QLabel(&dialog);
        preview->setFixedSize(160, 160);
        preview->setAlignment(Qt::AlignCenter);
        preview->setFrameShape(QFrame::StyledPanel);
        if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout()))
            grid->addWidget(preview, 0, grid->columnCount(), grid->rowCount(), 1);
        QObject::connect(&dialog, &QFileDialog::currentChanged, preview, [preview](const QString &path) {
            QImageReader reader(path);
            reader.setAutoTransform(true);
            const QSize size = reader.size();
            if (size.isValid()) reader.setScaledSize(size.scaled(preview->size(), Qt::KeepAspectRatio));
            const QImage image = reader.read();
            if (image.isNull()) preview->clear();
            else preview->setPixmap(QPixmap::fromImage(image));
        });
    }

    if (dialog.exec() != QDialog::Accepted) return {};
    lastFilters()[dialogName] = dialog.selectedNameFilter();
    return dialog.selectedFiles();
}

QString QtFileDialogs::pickFolder(QWidget *owner, const QString &title)
{
    return QFileDialog::getExistingDirectory(owner, title, QString(),
                                             QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
}

ScriptedFileDialogs::ScriptedFileDialogs() { install(this); }
ScriptedFileDialogs::~ScriptedFileDialogs() { install(nullptr); }

QStringList ScriptedFileDialogs::openFiles(QWidget *, const QString &dialogName, const QString &filter,
                                           bool picturePreview)
{
    openCalls.push_back({dialogName, filter, picturePreview});
    if (openAnswers.empty()) return {};
    QStringList answer = openAnswers.front();
    openAnswers.pop_front();
    return answer;
}

QString ScriptedFileDialogs::pickFolder(QWidget *, const QString &title)
{
    folderTitles << title;
    if (folderAnswers.empty()) return {};
    QString answer = folderAnswers.front();
    folderAnswers.pop_front();
    return answer;
}
