#include "playlist/findtext.h"

#include "lists/fileutils.h"
#include "lists/mywstrings.h"
#include "platform/locale.h"
#include "tags/mytag.h"

namespace {

// Half-width katakana U+FF61..U+FF9F in full width.
constexpr char16_t kHalfKana[] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9, 0x30E3, 0x30E5,
    0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB, 0x30AD, 0x30AF, 0x30B1, 0x30B3,
    0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1, 0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC,
    0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5, 0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4,
    0x30E6, 0x30E8, 0x30E9, 0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C};

// The letter with a voiced (U+FF9E) or semi-voiced (U+FF9F) mark, 0 when it takes none.
char16_t Voiced(char16_t base, char16_t mark)
{
    if (mark == 0xFF9E) {
        if ((base >= 0x30AB && base <= 0x30C2 && (base - 0x30AB) % 2 == 0) ||
            (base >= 0x30C4 && base <= 0x30C8 && (base - 0x30C4) % 2 == 0))
            return char16_t(base + 1);
        if (base >= 0x30CF && base <= 0x30DB && (base - 0x30CF) % 3 == 0)
            return char16_t(base + 1);
        if (base == 0x30A6)
            return 0x30F4;
        if (base == 0x30EF)
            return 0x30F7;
        if (base == 0x30F2)
            return 0x30FA;
        return 0;
    }
    if (base >= 0x30CF && base <= 0x30DB && (base - 0x30CF) % 3 == 0)
        return char16_t(base + 2);
    return 0;
}

// The table's mapping; false for a character it does not know.
bool FastNormalize(QStringView text, QString &out)
{
    out.resize(text.size());
    QChar *dst = out.data();
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char16_t c = text[i].unicode();
        if (c < 0x80) {
            if (c >= u'a' && c <= u'z')
                c = char16_t(c - 0x20);
            if (c >= 0x21 && c <= 0x7E)
                c = char16_t(c + 0xFEE0);
            else if (c == 0x20)
                c = 0x3000;
        } else if (c >= 0x3041 && c <= 0x3096) {
            c = char16_t(c + 0x60);
        } else if (c == 0x309D || c == 0x309E) {
            c = char16_t(c + 0x60);
        } else if (c >= 0xFF41 && c <= 0xFF5A) {
            c = char16_t(c - 0x20);
        } else if (c >= 0xFF61 && c <= 0xFF9F) {
            c = kHalfKana[c - 0xFF61];
            if (i + 1 < text.size()) {
                const char16_t mark = text[i + 1].unicode();
                if (mark == 0xFF9E || mark == 0xFF9F) {
                    if (const char16_t composed = Voiced(c, mark)) {
                        c = composed;
                        ++i;
                    }
                }
            }
        } else if ((c >= 0x3000 && c <= 0x303F) || (c >= 0x30A0 && c <= 0x30FF) || (c >= 0x3400 && c <= 0x4DBF) ||
                   (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xFF01 && c <= 0xFF40) || (c >= 0xFF5B && c <= 0xFF60)) {
            // unchanged by every mapping
        } else {
            return false;
        }
        dst[n++] = QChar(c);
    }
    out.resize(n);
    return true;
}

} // namespace

void NormalizeFindTextInto(QStringView text, QString &out)
{
    if (FastNormalize(text, out))
        return;
    // Composed letters (a kana and its mark) stay one letter, as in the table.
    out = platform::MapString(text, platform::MapUpperCase | platform::MapKatakana | platform::MapFullWidth)
              .normalized(QString::NormalizationForm_C);
}

QString NormalizeFindText(QStringView text)
{
    QString out;
    NormalizeFindTextInto(text, out);
    return out;
}

bool FindTargetText(const TMyWStrings &list, int index, TMyFindTarget target, QString &text)
{
    if (index < 0 || index >= list.Count())
        return false;
    switch (target) {
    case TMyFindTarget::FileName:
        text = list.Get(index);
        return true;
    case TMyFindTarget::MediaPath:
        text = ExtractFilePath(list.Get(index));
        return true;
    case TMyFindTarget::MediaName:
        text = ExtractFileName(list.Get(index));
        return true;
    default:
        break;
    }
    const auto *tag = dynamic_cast<const TMyCustomTag *>(list.GetObject(index));
    if (!tag)
        return false;
    switch (target) {
    case TMyFindTarget::Artist: text = tag->Texts().Artist; break;
    case TMyFindTarget::Album: text = tag->Texts().Album; break;
    case TMyFindTarget::Title: text = tag->TitleOrName(); break;
    case TMyFindTarget::Composer: text = tag->Texts().Composer; break;
    case TMyFindTarget::Writer: text = tag->Texts().Writer; break;
    case TMyFindTarget::Conductor: text = tag->Texts().Conductor; break;
    default: return false;
    }
    return true;
}

bool EntryMatchesFind(const TMyWStrings &list, int index, TMyFindTarget target, QStringView normalizedSearch,
                      QString &buffer)
{
    QString text;
    if (!FindTargetText(list, index, target, text))
        return false;
    NormalizeFindTextInto(text, buffer);
    return QStringView(buffer).contains(normalizedSearch);
}

int FindTargetSetting(TMyFindTarget target)
{
    switch (target) {
    case TMyFindTarget::MediaName: return 0;
    case TMyFindTarget::MediaPath: return 1;
    default: return 2;
    }
}

TMyFindTarget FindTargetFromSetting(int value)
{
    switch (value) {
    case 1: return TMyFindTarget::MediaPath;
    case 2: return TMyFindTarget::FileName;
    default: return TMyFindTarget::MediaName;
    }
}

bool TMyFindHistory::Add(const QString &text)
{
    const QString key = NormalizeFindText(text);
    if (!m_items.isEmpty() && NormalizeFindText(m_items.first()) == key)
        return false;
    for (qsizetype i = m_items.size() - 1; i >= 1; --i)
        if (NormalizeFindText(m_items[i]) == key) {
            m_items.removeAt(i);
            break;
        }
    m_items.prepend(text);
    while (m_items.size() > kMax)
        m_items.removeLast();
    return true;
}

void TMyFindHistory::Load(const QStringList &lines)
{
    QStringList kept = lines;
    while (!kept.isEmpty() && kept.last().isEmpty())
        kept.removeLast();
    for (qsizetype i = kept.size() - 1; i >= 0; --i)
        if (!kept[i].isEmpty())
            Add(kept[i]);
}
