// A fresh copy of the demo machine for the window's tests, and what brindle-cli finds on
// it: the window must list exactly what the command-line tool reports.
#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace brindle::test {

class DemoMachineCopy {
public:
    // Builds the demo machine into a new folder below a temporary one; the folder beside
    // it ("work") is the window's work folder.
    DemoMachineCopy();

    bool valid() const { return m_valid; }
    QString prefix() const { return m_root.path() + "/prefix"; }
    QString workFolder() const { return m_root.path() + "/work"; }

    // `brindle-cli --prefix <prefix> --work-dir <folder> scan --json`, run in `folder` (its
    // ignore list counts); an empty object when the tool failed.
    QJsonObject cliScan(const QString& folder) const;
    // The registry problems' files, then the missing shortcuts, as the CLI lists them.
    static QStringList ListedPaths(const QJsonObject& scan);

private:
    QTemporaryDir m_root;
    bool m_valid = false;
};

}  // namespace brindle::test
