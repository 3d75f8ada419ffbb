#include "app/ExternalPrograms.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QUrl>
#include <QtGlobal>

#ifndef BRINDLE_SUPPORT_URL
#error "BRINDLE_SUPPORT_URL must be defined by the build (the support page's address)"
#endif

namespace brindle {

namespace {

// isFile() follows links, so a link to the program counts; a folder of that name does not.
bool IsExecutableFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

}  // namespace

bool OpenSupportPage() {
    const QUrl url(QStringLiteral(BRINDLE_SUPPORT_URL), QUrl::StrictMode);
    if (!url.isValid()) {
        qWarning("The support page's address \"%s\" is not a valid URL: %s", BRINDLE_SUPPORT_URL,
                 qUtf8Printable(url.errorString()));
        return false;
    }
    return QDesktopServices::openUrl(url);
}

std::optional<QString> FindLiveUpdateProgram(const QString& currentDirectory, const QString& searchPath) {
    const QString name = QString::fromLatin1(kLiveUpdateProgramName);
    const QDir current(currentDirectory);
    const QString inCurrent = current.filePath(name);
    if (IsExecutableFile(inCurrent)) return QDir::cleanPath(inCurrent);
    if (searchPath.isEmpty()) return std::nullopt;

    for (const QString& folder : searchPath.split(QLatin1Char(':'), Qt::KeepEmptyParts)) {
        // filePath() keeps an absolute folder as it is and puts a relative one (the empty
        // one included) under the current directory.
        const QString candidate = QDir(current.filePath(folder)).filePath(name);
        if (IsExecutableFile(candidate)) return QDir::cleanPath(candidate);
    }
    return std::nullopt;
}

bool StartDetachedProgram(const QString& program, const QString& workingDirectory) {
    QProcess process;
    process.setProgram(program);
    process.setWorkingDirectory(workingDirectory);
    if (process.startDetached()) return true;
    qWarning("Could not start \"%s\" in \"%s\": %s", qUtf8Printable(program), qUtf8Printable(workingDirectory),
             qUtf8Printable(process.errorString()));
    return false;
}

}  // namespace brindle
