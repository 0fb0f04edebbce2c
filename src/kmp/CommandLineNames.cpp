#include "CommandLineNames.h"

#include <algorithm>

namespace kestrun::kmp {

CommandLineNames::CommandLineNames(const QByteArrayList &arguments)
{
    for (const QByteArray &bytes : arguments) {
        auto name = std::make_unique<NativeFileName>(bytes);
        m_arguments << name->openName();
        if (!name->isExact())
            m_unreachable << name->shownName();
        else if (name->openName() != name->shownName())
            m_opened.push_back(std::move(name));
    }
    // The longest first, so /proc/self/fd/12 is not read as /proc/self/fd/1.
    std::sort(m_opened.begin(), m_opened.end(),
              [](const auto &a, const auto &b) { return a->openName().size() > b->openName().size(); });
}

QString CommandLineNames::shown(QString text) const
{
    for (const auto &name : m_opened)
        text.replace(name->openName(), name->shownName());
    return text;
}

} // namespace kestrun::kmp
