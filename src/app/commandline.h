#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace marquetrix {

// `marquetrix [--fullscreen] [--new-instance] [FILE|URL]...`: what the command line asks for. `--`
// ends the options, so a file named like an option still opens.
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

    // `arguments` as the process was given them (argv), the program name first. They stay
    // bytes: a file name need not be valid in the locale's encoding.
    static CommandLine parse(const QList<QByteArray> &arguments);

    Outcome outcome() const { return m_outcome; }
    QString output() const { return m_output; }
    bool fullscreen() const { return m_fullscreen; }
    // A window of its own rather than handing the items to the running one.
    bool newInstance() const { return m_newInstance; }
    // Files and links in the order given, each in the bytes given.
    QList<QByteArray> items() const { return m_items; }

private:
    Outcome m_outcome = Outcome::Run;
    QString m_output;
    bool m_fullscreen = false;
    bool m_newInstance = false;
    QList<QByteArray> m_items;
};

} // namespace marquetrix
