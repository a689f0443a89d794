#pragma once

#include <QString>
#include <QStringList>

namespace marquetrix {

// `marquetrix [--fullscreen] [FILE|URL]...`: what the command line asks for. `--` ends the
// options, so a file named like an option still opens.
class CommandLine
{
public:
    enum class Outcome
    {
        Run,
        // --help or --version: print `output` and exit successfully.
        Print,
        // An unknown option: print `output` to the error stream and exit with failure.
        Fail,
    };

    // `arguments` includes the program name first, as QCoreApplication::arguments() gives it.
    static CommandLine parse(const QStringList &arguments);

    Outcome outcome() const { return m_outcome; }
    QString output() const { return m_output; }
    bool fullscreen() const { return m_fullscreen; }
    // Files and links in the order given.
    QStringList items() const { return m_items; }

private:
    Outcome m_outcome = Outcome::Run;
    QString m_output;
    bool m_fullscreen = false;
    QStringList m_items;
};

} // namespace marquetrix
