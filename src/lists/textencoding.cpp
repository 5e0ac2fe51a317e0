#include "lists/textencoding.h"

#include "platform/charsetdetect.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/uihooks.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QThread>

using platform::CodePage;

TextEncoding TextEncodingFromInt(int value)
{
    return (value < 0 || value > 11) ? TextEncoding::Auto : TextEncoding(value);
}

namespace {
qint64 TextCharCount(QStringView text)
{
    qint64 count = 0;
    for (QChar qc : text) {
        const char16_t c = qc.unicode();
        if ((c >= 0x20 && c <= 0x7E) || (c >= 0x3041 && c <= 0x3093) || (c >= 0x30A1 && c <= 0x30F6))
            ++count;
    }
    return count;
}
} // namespace

bool LooksLikeText(QStringView text)
{
    return text.isEmpty() || TextCharCount(text) * 100 / text.size() > 1;
}

namespace {

QByteArrayView UpToZero(QByteArrayView bytes)
{
    const qsizetype z = bytes.indexOf('\0');
    return z < 0 ? bytes : bytes.first(z);
}

// UTF-16 up to the first zero character. A last odd byte is completed by a zero byte, as if the
// file were followed by zero padding, so "41 00 42" reads "AB".
QString Utf16UpToZero(QByteArrayView bytes, bool bigEndian)
{
    const CodePage cp = bigEndian ? CodePage::Utf16Be : CodePage::Utf16Le;
    QString s = platform::Decode(cp, bytes);
    if (bytes.size() % 2)
        s += platform::Decode(cp, bytes.last(1).toByteArray() + '\0');
    const qsizetype z = s.indexOf(QChar(0));
    if (z >= 0)
        s.truncate(z);
    return s;
}

// The program's Shift_JIS / UTF-16 byte test. Returns a code page or -1.
int ByteTest(QByteArrayView bytes)
{
    bool inPair = false, valid = true, zero = false;
    for (char ch : bytes) {
        const auto b = uchar(ch);
        if (b == 0) {
            zero = true;
            inPair = false;
            valid = false;
            continue;
        }
        const bool lead = platform::IsAnsiLeadByte(b) && b <= 0xEF;
        const bool second = inPair;
        if ((second && b >= 0x01 && b <= 0x3F) || b == 0x7F || b >= 0xFD ||
            (!second && (b == 0x80 || b == 0xA0 || (b >= 0xF0 && b <= 0xFC))))
            valid = false;
        if (lead)
            inPair = !inPair;
        else
            inPair = false;
    }
    if (zero) {
        // Both byte orders may pass the one-percent test (U+3000 read the wrong way round is "0"):
        // the order in which more of the text looks like text wins.
        const QString le = Utf16UpToZero(bytes, false), be = Utf16UpToZero(bytes, true);
        const bool leText = LooksLikeText(le), beText = LooksLikeText(be);
        if (leText && beText && !le.isEmpty() && !be.isEmpty())
            return TextCharCount(be) * le.size() > TextCharCount(le) * be.size() ? 1201 : 1200;
        if (leText)
            return 1200;
        if (beText)
            return 1201;
        return -1;
    }
    return valid ? 932 : -1;
}

// Strict UTF-8; a sequence cut by the end of the sample is allowed when allowCut.
bool IsStrictUtf8(QByteArrayView bytes, bool allowCut, bool &hasMultibyte)
{
    hasMultibyte = false;
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const uchar b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        int len;
        uint32_t cp;
        if (b >= 0xC2 && b <= 0xDF) {
            len = 2;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3;
            cp = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4;
            cp = b & 0x07;
        } else {
            return false;
        }
        if (i + len > n) {
            for (qsizetype k = i + 1; k < n; ++k)
                if ((p[k] & 0xC0) != 0x80)
                    return false;
            return allowCut;
        }
        for (int k = 1; k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            cp = cp << 6 | (p[i + k] & 0x3F);
        }
        if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        hasMultibyte = true;
        i += len;
    }
    return true;
}

bool IsEucJp(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype n = bytes.size();
    auto in = [](uchar b, uchar lo, uchar hi) { return b >= lo && b <= hi; };
    for (qsizetype i = 0; i < n;) {
        const uchar b = p[i];
        if (b < 0x80) {
            ++i;
        } else if (in(b, 0xA1, 0xFE)) {
            if (i + 1 < n && !in(p[i + 1], 0xA1, 0xFE))
                return false;
            i += 2;
        } else if (b == 0x8E) {
            if (i + 1 < n && !in(p[i + 1], 0xA1, 0xDF))
                return false;
            i += 2;
        } else if (b == 0x8F) {
            if ((i + 1 < n && !in(p[i + 1], 0xA1, 0xFE)) || (i + 2 < n && !in(p[i + 2], 0xA1, 0xFE)))
                return false;
            i += 3;
        } else {
            return false;
        }
    }
    return true;
}

bool HasIso2022JpEscape(QByteArrayView bytes)
{
    static const char *const escapes[] = {"\x1b$@", "\x1b$B", "\x1b(J", "\x1b(I", "\x1b$(D"};
    for (const char *e : escapes)
        if (bytes.indexOf(QByteArrayView(e)) >= 0)
            return true;
    return false;
}

bool IsBase64(uchar c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

// ASCII text whose "+...-" runs decode to characters outside ASCII.
bool LooksLikeUtf7(QByteArrayView bytes)
{
    bool evidence = false;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (bytes[i] != '+')
            continue;
        if (i + 1 < n && bytes[i + 1] == '-') {
            ++i;
            continue;
        }
        qsizetype j = i + 1;
        uint32_t bits = 0;
        int nbits = 0;
        bool nonAscii = false;
        while (j < n && IsBase64(uchar(bytes[j]))) {
            const uchar c = uchar(bytes[j]);
            const int v = c >= 'A' && c <= 'Z' ? c - 'A'
                          : c >= 'a' && c <= 'z' ? c - 'a' + 26
                          : c >= '0' && c <= '9' ? c - '0' + 52
                          : c == '+' ? 62 : 63;
            bits = bits << 6 | uint32_t(v);
            nbits += 6;
            if (nbits >= 16) {
                nbits -= 16;
                const char16_t u = char16_t(bits >> nbits);
                if (u >= 0x80)
                    nonAscii = true;
                bits &= (1u << nbits) - 1;
            }
            ++j;
        }
        const qsizetype run = j - i - 1;
        if (j == n && n >= 1024)
            return evidence || nonAscii;  // the sample ends inside a run
        if (run < 3 || bits != 0 || !nonAscii)
            return false;
        evidence = true;
        i = j - 1;
    }
    return evidence;
}

// How Japanese a decoded sample looks. Kana weigh most (Japanese text in EUC-JP almost always has
// them); half-width katakana count like kanji, since Shift_JIS names use them and EUC-JP pairs of
// the same bytes read as kanji; substitutes count against. Shift_JIS wins a tie: it is what the
// program's own files are written in.
int JapaneseScore(QStringView text)
{
    int score = 0;
    for (QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c >= 0x3041 && c <= 0x30FA && c != 0x30FB)
            score += 3;
        else if ((c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xFF61 && c <= 0xFF9F) || (c >= 0x3000 && c <= 0x3003))
            score += 1;
        else if (c == 0x30FB || c == u'?' || c == 0xFFFD || (c >= 0xE000 && c <= 0xF8FF))
            score -= 5;
    }
    return score;
}

// The code page that the program's own rules, then the language detector, find for the sample.
int DetectCodePage(QByteArrayView sample)
{
    if (sample.indexOf('\0') >= 0)
        return -2;  // a NUL skips the detector
    bool highBytes = false;
    for (char c : sample)
        if (uchar(c) >= 0x80) {
            highBytes = true;
            break;
        }
    if (!highBytes) {
        if (HasIso2022JpEscape(sample))
            return 50220;
        if (LooksLikeUtf7(sample))
            return 65000;
        return 1252;  // plain ASCII: the byte test still refuses control bytes such as 7F
    }
    bool multibyte = false;
    if (IsStrictUtf8(sample, sample.size() >= 1024, multibyte))
        return 65001;
    const bool sjis = ByteTest(sample) == 932;
    const bool euc = IsEucJp(sample);
    if (sjis && euc) {
        const int s = JapaneseScore(platform::AnsiToWide(sample));
        const int e = JapaneseScore(platform::Decode(CodePage::EucJp, sample));
        if (s != e)
            return s >= e ? 932 : 20932;
        const int d = platform::DetectCodePageAmong(sample, {932, 20932});
        return d > 0 ? d : 932;
    }
    if (sjis)
        return 932;
    if (euc)
        return 20932;
    return 1252;  // neither: the byte test decides
}

TextEncoding MapCodePage(int cp)
{
    switch (cp) {
    case 1200: return TextEncoding::Utf16Le;
    case 1201: return TextEncoding::Utf16Be;
    case 20932: case 51932: case 51936: case 51949: return TextEncoding::EucJp;
    case 50220: case 50221: case 50222: case 50225: case 50227: return TextEncoding::Jis;
    case 65000: return TextEncoding::Utf7;
    case 65001: return TextEncoding::Utf8;
    case -1: return TextEncoding::HexDump;
    default: return TextEncoding::Ansi;
    }
}

TextEncoding BomEncoding(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return TextEncoding::Utf8Bom;
    if (bytes.startsWith("\xFF\xFE"))
        return TextEncoding::Utf16LeBom;
    if (bytes.startsWith("\xFE\xFF"))
        return TextEncoding::Utf16BeBom;
    return TextEncoding::Auto;
}

// Combines base characters with following combining marks, as Windows' composite check does.
QString ComposeMarks(QStringView text)
{
    auto isMark = [](char16_t c) { return (c >= 0x0300 && c <= 0x036F) || c == 0x3099 || c == 0x309A; };
    bool any = false;
    for (QChar c : text)
        if (isMark(c.unicode())) {
            any = true;
            break;
        }
    if (!any)
        return text.toString();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        qsizetype j = i + 1;
        while (j < text.size() && isMark(text[j].unicode()))
            ++j;
        if (j - i > 1)
            out += text.sliced(i, j - i).toString().normalized(QString::NormalizationForm_C);
        else
            out += text[i];
        i = j;
    }
    return out;
}

} // namespace

TextEncoding DetectEncoding(QByteArrayView bytes)
{
    const TextEncoding bom = BomEncoding(bytes);
    if (bom != TextEncoding::Auto)
        return bom;
    const QByteArrayView sample = bytes.first(std::min<qsizetype>(bytes.size(), 1024));
    int cp = DetectCodePage(sample);
    if (cp == -2 || cp == 1252)
        cp = ByteTest(sample);
    return MapCodePage(cp);
}

QString HexDumpText(QByteArrayView bytes)
{
    static const char hex[] = "0123456789abcdef";
    const qsizetype lines = (bytes.size() + 15) / 16;
    QByteArray out;
    out.reserve(lines * 68);
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    for (qsizetype line = 0; line < lines; ++line) {
        const qsizetype start = line * 16;
        const int count = int(std::min<qsizetype>(16, bytes.size() - start));
        QByteArray field;
        field.reserve(50);
        for (int k = 0; k < count; ++k) {
            field += hex[p[start + k] >> 4];
            field += hex[p[start + k] & 15];
            field += ' ';
            if (k == 7)
                field += "- ";
        }
        field = field.leftJustified(50, ' ');
        out += field;
        out += '\t';
        for (int k = 0; k < count; ++k) {
            const uchar b = p[start + k];
            const bool prevLead = k > 0 && platform::IsAnsiLeadByte(p[start + k - 1]);
            char c = char(b);
            if (b < 0x20 || b == 0x7F || b > 0xFC || (k == 15 && platform::IsAnsiLeadByte(b)) ||
                (b == 0xA0 && k > 0 && !prevLead))
                c = '.';
            out += c;
        }
        for (int k = count; k < 16; ++k)
            out += ' ';
        out += '\r';
        if ((line & 255) == 255)
            platform::ProcessEvents();
    }
    return platform::AnsiToWide(out);
}

QString DecodeText(QByteArrayView bytes, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::HexDump: return HexDumpText(bytes);
    case TextEncoding::Utf8Bom:
    case TextEncoding::Utf8: {
        // A byte-order mark that the caller did not ask to skip stays in the text.
        const QByteArrayView body = UpToZero(bytes);
        if (body.startsWith("\xEF\xBB\xBF"))
            return QStringLiteral("\uFEFF") + QString::fromUtf8(body.sliced(3));
        return QString::fromUtf8(body);
    }
    case TextEncoding::Utf16LeBom:
    case TextEncoding::Utf16Le: return Utf16UpToZero(bytes, false);
    case TextEncoding::Utf16BeBom:
    case TextEncoding::Utf16Be: return Utf16UpToZero(bytes, true);
    case TextEncoding::Utf7: return platform::Decode(CodePage::Utf7, UpToZero(bytes));
    case TextEncoding::Jis: return platform::Decode(CodePage::Jis, UpToZero(bytes));
    case TextEncoding::EucJp: return platform::Decode(CodePage::EucJp, UpToZero(bytes));
    default: return platform::AnsiToWide(UpToZero(bytes));
    }
}

QString ReadTextFile(const QString &fileName, TextEncoding &encoding, qint64 byteCount)
{
    QFileInfo info(fileName);
    if (!info.exists() || info.isDir())
        return QString();
    qint64 size = byteCount >= 0 ? std::min(byteCount, info.size()) : info.size();
    if (size >= (qint64(1) << 32)) {
        platform::ShowMessage(QStringLiteral("範囲外の値です: %1").arg(fileName));
        return QString();
    }
    if (size <= 0)
        return QString();
    QByteArray bytes;
    bool read = false;
    for (int attempt = 0; attempt < 4 && !read; ++attempt) {
        if (attempt > 0) {
            platform::ProcessEvents();
            QThread::msleep(200);
        }
        QFile file(fileName);
        if (file.open(QIODevice::ReadOnly)) {
            bytes = file.read(size);
            read = file.error() == QFileDevice::NoError;
        }
    }
    if (!read) {
        platform::Beep();
        return QString();
    }
    if (bytes.isEmpty())
        return QString();
    QByteArrayView view(bytes);
    TextEncoding enc = encoding > TextEncoding::HexDump ? TextEncoding::Auto : encoding;
    if (enc == TextEncoding::Auto) {
        enc = BomEncoding(view);
        if (enc == TextEncoding::Utf8Bom)
            view = view.sliced(3);
        else if (enc != TextEncoding::Auto)
            view = view.sliced(2);
        else
            enc = DetectEncoding(view);
    }
    const bool known = enc == TextEncoding::HexDump || (enc >= TextEncoding::Utf16LeBom && enc <= TextEncoding::EucJp);
    if (!known)
        enc = TextEncoding::Ansi;
    encoding = enc;
    return DecodeText(view, enc);
}

QByteArray EncodeText(QStringView text, TextEncoding encoding)
{
    if (encoding == TextEncoding::Auto)
        encoding = platform::FitsAnsi(ComposeMarks(text)) ? TextEncoding::Ansi : TextEncoding::Utf8Bom;
    const bool leadingBom = !text.isEmpty() && text.front() == QChar(0xFEFF);
    switch (encoding) {
    case TextEncoding::Utf8Bom:
    case TextEncoding::Utf8: {
        QByteArray out = (leadingBom ? text.sliced(1) : text).toUtf8();
        if (encoding == TextEncoding::Utf8Bom)
            out.prepend("\xEF\xBB\xBF");
        return out;
    }
    case TextEncoding::Utf16LeBom:
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16BeBom:
    case TextEncoding::Utf16Be: {
        const bool be = encoding == TextEncoding::Utf16BeBom || encoding == TextEncoding::Utf16Be;
        QByteArray out = platform::Encode(be ? CodePage::Utf16Be : CodePage::Utf16Le, leadingBom ? text.sliced(1) : text);
        if (encoding == TextEncoding::Utf16LeBom)
            out.prepend("\xFF\xFE");
        else if (encoding == TextEncoding::Utf16BeBom)
            out.prepend("\xFE\xFF");
        return out;
    }
    case TextEncoding::Utf7: return platform::Encode(CodePage::Utf7, text);
    case TextEncoding::Jis: return platform::Encode(CodePage::Jis, text);
    case TextEncoding::EucJp: return platform::Encode(CodePage::EucJp, ComposeMarks(text));
    default: return platform::WideToAnsi(ComposeMarks(text));
    }
}

bool WriteTextFile(const QString &fileName, QStringView text, TextEncoding encoding)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = EncodeText(text, encoding);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return platform::CommitSaveFile(file);
}
