#include "commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace marquetrix {

CommandLine CommandLine::parse(const QList<QByteArray> &rawArguments)
{
    QStringList arguments;
    for (const QByteArray &argument : rawArguments)
        arguments.append(QString::fromLocal8Bit(argument));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Plays many videos at once in one window, laid out automatically."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help and exits."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Shows the version and exits."));
    const QCommandLineOption fullscreen(QStringLiteral("fullscreen"),
                                        QStringLiteral("Starts in full screen."));
    const QCommandLineOption newInstance(
        QStringLiteral("new-instance"),
        QStringLiteral("Opens a window of its own instead of handing the items to the running "
                       "one."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(fullscreen);
    parser.addOption(newInstance);
    parser.addPositionalArgument(
        QStringLiteral("FILE|URL"),
        QStringLiteral("Video files and links to open, each as a tile, in this order."),
        QStringLiteral("[FILE|URL...]"));

    CommandLine result;
    if (!parser.parse(arguments)) {
        result.m_outcome = Outcome::Fail;
        result.m_output = parser.errorText() + QLatin1Char('\n');
        return result;
    }
    if (parser.isSet(help)) {
        result.m_outcome = Outcome::Print;
        // The parser names the program after the running application, which does not exist
        // yet while the command line is read.
        result.m_output = parser.helpText().replace(QStringLiteral("<executable_name>"),
                                                    QStringLiteral("marquetrix"));
        return result;
    }
    if (parser.isSet(version)) {
        result.m_outcome = Outcome::Print;
        result.m_output = QCoreApplication::applicationName() + QLatin1Char(' ') +
                          QCoreApplication::applicationVersion() + QLatin1Char('\n');
        return result;
    }
    result.m_fullscreen = parser.isSet(fullscreen);
    result.m_newInstance = parser.isSet(newInstance);
    // The parser's positional arguments are the decoded arguments in order, without the
    // options: each is matched back to its own bytes. Options are plain ASCII, so a decoded
    // positional argument never equals an option of other bytes.
    qsizetype next = 1;
    for (const QString &item : parser.positionalArguments()) {
        while (next < arguments.size() && arguments.at(next) != item)
            ++next;
        if (next < arguments.size())
            result.m_items.append(rawArguments.at(next++));
    }
    return result;
}

} // namespace marquetrix
