#include "Invocation.h"

using namespace Qt::StringLiterals;

namespace kestrun::kmp {

Invocation::Invocation(QString command, const QString &description, QString epilogue)
    : m_command(std::move(command))
    , m_epilogue(std::move(epilogue))
    , m_help(QStringList{u"h"_s, u"help"_s}, u"Show this help."_s)
{
    m_parser.setApplicationDescription(description);
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.addOption(m_help);
}

std::optional<int> Invocation::parse(const QStringList &arguments, Console &io)
{
    // The parser expects the program as the first argument.
    if (!m_parser.parse(QStringList{u"kmp"_s} + arguments))
        return usageError(io, m_parser.errorText());
    if (m_parser.isSet(m_help)) {
        io.out << helpText();
        return ExitOk;
    }
    return std::nullopt;
}

int Invocation::usageError(Console &io, const QString &message) const
{
    io.err << "kmp " << m_command << ": " << io.shown(message) << Qt::endl
           << "Try 'kmp " << m_command << " --help'." << Qt::endl;
    return ExitUsage;
}

QString Invocation::helpText() const
{
    // Qt names the running executable in the usage line; name the subcommand.
    QString text = m_parser.helpText();
    const qsizetype lineEnd = text.indexOf(u'\n');
    const qsizetype options = text.indexOf(u" [options]"_s);
    if (options >= 0 && options < lineEnd)
        text.replace(0, options, u"Usage: kmp "_s + m_command);
    if (!m_epilogue.isEmpty())
        text += u'\n' + m_epilogue;
    return text;
}

std::optional<int> wholeNumber(const QString &text, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

} // namespace kestrun::kmp
