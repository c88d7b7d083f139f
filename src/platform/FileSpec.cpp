#include "platform/FileSpec.h"

#include <QStringList>

namespace filespec {

namespace {

// Iterative wildcard match with one backtrack point for the last "*".
bool Match(const QChar* p, const QChar* pEnd, const QChar* n, const QChar* nEnd)
{
    const QChar* starP = nullptr;
    const QChar* starN = nullptr;
    while (n < nEnd) {
        if (p < pEnd && *p == QLatin1Char('*')) {
            starP = ++p;
            starN = n;
            continue;
        }
        if (p < pEnd && (*p == QLatin1Char('?') || p->toCaseFolded() == n->toCaseFolded())) {
            ++p;
            ++n;
            continue;
        }
        if (!starP)
            return false;
        p = starP;
        n = ++starN;
    }
    while (p < pEnd && *p == QLatin1Char('*'))
        ++p;
    return p == pEnd;
}

} // namespace

bool MatchPattern(const QString& pattern, const QString& name)
{
    QString pat = pattern.trimmed();
    if (pat.isEmpty())
        return false;
    // "*.*" is "every file", also names without a dot, as the shell has it.
    if (pat == QLatin1String("*.*") || pat == QLatin1String("*"))
        return true;
    return Match(pat.constData(), pat.constData() + pat.size(),
                 name.constData(), name.constData() + name.size());
}

bool MatchSpecList(const QString& specList, const QString& name)
{
    for (const QString& spec : specList.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (spec.trimmed().isEmpty())
            continue;
        if (MatchPattern(spec, name))
            return true;
    }
    return false;
}

} // namespace filespec
