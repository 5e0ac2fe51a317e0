#include "shell/paneltexts.h"

QString QuotePanelText(QStringView text)
{
    QString quoted;
    quoted.reserve(text.size() + 2);
    quoted += QLatin1Char('"');
    for (QChar c : text) {
        if (c == u'"')
            quoted += QLatin1Char('"');
        quoted += c;
    }
    quoted += QLatin1Char('"');
    return quoted;
}

QStringList SubPlayerArguments(platform::PanelHandle mainPanel)
{
    return {QStringLiteral("/SUBPLAYER"), QStringLiteral("/FROM:%1").arg(mainPanel)};
}

QString ToSubPlayerText(platform::PanelHandle subPlayerPanel)
{
    return QStringLiteral("/TO_SUBPLAYER:%1").arg(subPlayerPanel);
}

QStringList PropertyArguments(const QString &path) { return {QStringLiteral("/property"), path}; }

QString PropertyCommandText(const QString &path) { return QStringLiteral("/property ") + QuotePanelText(path); }

QString PropertyWriteNotice(const QString &word, const QString &path)
{
    return QuotePanelText(QString(QLatin1Char('/') + word + QLatin1Char(':') + path));
}

QString RenameNoticeText(const QString &oldPath, const QString &newPath)
{
    return QStringLiteral("/rename ") + QuotePanelText(oldPath) + QLatin1Char(' ') + QuotePanelText(newPath);
}

QString SearchIndexText(platform::PanelHandle from, int index)
{
    return QStringLiteral("/FROM:%1 /SEARCHINDEX:%2").arg(from).arg(index);
}

QString SearchListChangeText(platform::PanelHandle from, const QString &text)
{
    return QStringLiteral("/FROM:%1 ").arg(from) + QuotePanelText(QString(QStringLiteral("/SEARCHLIST_CHANGE:") + text));
}
