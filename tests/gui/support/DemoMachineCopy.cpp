#include "gui/support/DemoMachineCopy.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

namespace brindle::test {

DemoMachineCopy::DemoMachineCopy() {
    if (!m_root.isValid() || !QDir(m_root.path()).mkpath("work")) return;
    QProcess builder;
    builder.start(QStringLiteral(BRINDLE_DEMO_BUILDER_PATH), {prefix()});
    m_valid = builder.waitForFinished(60000) && builder.exitStatus() == QProcess::NormalExit && builder.exitCode() == 0;
}

QJsonObject DemoMachineCopy::cliScan(const QString& folder) const {
    QProcess cli;
    cli.setWorkingDirectory(folder);
    // The folder is the data folder too, as the window's work folder is in these tests.
    cli.start(QStringLiteral(BRINDLE_CLI_PATH), {"--prefix", prefix(), "--work-dir", folder, "scan", "--json"});
    // Exit code 1 means problems were found.
    if (!cli.waitForFinished(120000) || cli.exitStatus() != QProcess::NormalExit || cli.exitCode() > 1) return {};
    return QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
}

QStringList DemoMachineCopy::ListedPaths(const QJsonObject& scan) {
    QStringList paths;
    for (const QJsonValue& problem : scan["problems"].toArray()) paths << problem["file"].toString();
    for (const QJsonValue& path : scan["shortcuts"]["missing"].toArray()) paths << path.toString();
    return paths;
}

}  // namespace brindle::test
