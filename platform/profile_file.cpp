#include "platform/profile_file.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <vector>

namespace qv {

namespace {

enum class LineKind { Other, Section, Key };

// One line of the file: its bytes as they are on disk and what they say.
struct Line {
    QByteArray raw;  // the bytes without the line end
    QByteArray end;  // "\r\n", "\n", "\r", or empty for a last line without an end
    QString text;
    LineKind kind = LineKind::Other;
    QString name;              // section or key name, without surrounding blanks
    QString value;             // key value, without surrounding blanks
    qsizetype valueStart = 0;  // where the value starts in text
};

struct Document {
    QByteArray bom;
    bool utf8 = true;
    std::vector<Line> lines;
};

const QByteArray kNewLineEnd = QByteArrayLiteral("\r\n");

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

QString trimBlanks(QStringView s) {
    qsizetype from = 0;
    qsizetype to = s.size();
    while (from < to && isBlank(s.at(from))) {
        ++from;
    }
    while (to > from && isBlank(s.at(to - 1))) {
        --to;
    }
    return s.mid(from, to - from).toString();
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

void classify(Line& line) {
    line.kind = LineKind::Other;
    line.name.clear();
    line.value.clear();
    line.valueStart = 0;
    const QString& t = line.text;
    qsizetype i = 0;
    while (i < t.size() && isBlank(t.at(i))) {
        ++i;
    }
    if (i == t.size() || t.at(i) == u';') {
        return;
    }
    if (t.at(i) == u'[') {
        const qsizetype close = t.lastIndexOf(u']');
        if (close > i) {
            line.kind = LineKind::Section;
            line.name = trimBlanks(QStringView(t).mid(i + 1, close - i - 1));
        }
        return;
    }
    const qsizetype eq = t.indexOf(u'=', i);
    if (eq < 0) {
        return;
    }
    line.name = trimBlanks(QStringView(t).mid(i, eq - i));
    if (line.name.isEmpty()) {
        return;
    }
    line.kind = LineKind::Key;
    qsizetype v = eq + 1;
    while (v < t.size() && isBlank(t.at(v))) {
        ++v;
    }
    line.valueStart = v;
    line.value = trimBlanks(QStringView(t).mid(v));
}

// The decodeText rule, but with a cut-off sequence at the very end counting as invalid too.
bool isValidUtf8(QByteArrayView bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless |
                                                     QStringConverter::Flag::ConvertInitialBom);
    const QString ignored = decoder(bytes);
    return !decoder.hasError();
}

QString decodeLine(const Document& doc, const QByteArray& raw) {
    return doc.utf8 ? QString::fromUtf8(raw) : QString::fromLatin1(raw);
}

QByteArray encodeLine(const Document& doc, const QString& text) {
    return doc.utf8 ? text.toUtf8() : text.toLatin1();
}

Document parse(const QByteArray& bytes) {
    Document doc;
    QByteArrayView body(bytes);
    if (body.startsWith("\xEF\xBB\xBF")) {
        doc.bom = QByteArrayLiteral("\xEF\xBB\xBF");
        body = body.sliced(3);
    }
    doc.utf8 = isValidUtf8(body);

    auto addLine = [&doc](QByteArrayView raw, QByteArrayView end) {
        Line line;
        line.raw = raw.toByteArray();
        line.end = end.toByteArray();
        line.text = decodeLine(doc, line.raw);
        classify(line);
        doc.lines.push_back(std::move(line));
    };
    const qsizetype n = body.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char c = body.at(i);
        if (c != '\r' && c != '\n') {
            continue;
        }
        const QByteArrayView raw = body.sliced(start, i - start);
        if (c == '\r' && i + 1 < n && body.at(i + 1) == '\n') {
            addLine(raw, "\r\n");
            ++i;
        } else {
            addLine(raw, c == '\r' ? QByteArrayView("\r") : QByteArrayView("\n"));
        }
        start = i + 1;
    }
    if (start < n) {
        addLine(body.sliced(start), {});
    }
    return doc;
}

QByteArray serialize(const Document& doc) {
    qsizetype total = doc.bom.size();
    for (const Line& line : doc.lines) {
        total += line.raw.size() + line.end.size();
    }
    QByteArray out;
    out.reserve(total);
    out += doc.bom;
    for (const Line& line : doc.lines) {
        out += line.raw;
        out += line.end;
    }
    return out;
}

bool fitsLatin1(const QString& text) {
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() <= 0xFF; });
}

// New text goes in the file's own encoding; a Latin-1 file that cannot hold it becomes UTF-8.
void makeRoomFor(Document& doc, const QString& text) {
    if (doc.utf8 || fitsLatin1(text)) {
        return;
    }
    doc.utf8 = true;
    for (Line& line : doc.lines) {
        line.raw = line.text.toUtf8();
    }
}

Line makeLine(const Document& doc, const QString& text) {
    Line line;
    line.text = text;
    line.raw = encodeLine(doc, text);
    line.end = kNewLineEnd;
    classify(line);
    return line;
}

// Index of the first section header of that name, or -1.
qsizetype findSection(const Document& doc, const QString& name) {
    for (qsizetype i = 0; i < qsizetype(doc.lines.size()); ++i) {
        const Line& line = doc.lines[size_t(i)];
        if (line.kind == LineKind::Section && sameName(line.name, name)) {
            return i;
        }
    }
    return -1;
}

// One past the last line of the section whose header is at index header.
qsizetype sectionEnd(const Document& doc, qsizetype header) {
    qsizetype i = header + 1;
    while (i < qsizetype(doc.lines.size()) && doc.lines[size_t(i)].kind != LineKind::Section) {
        ++i;
    }
    return i;
}

const Line* findKey(const Document& doc, const QString& section, const QString& key) {
    const qsizetype header = findSection(doc, section);
    if (header < 0) {
        return nullptr;
    }
    const qsizetype end = sectionEnd(doc, header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const Line& line = doc.lines[size_t(i)];
        if (line.kind == LineKind::Key && sameName(line.name, key)) {
            return &line;
        }
    }
    return nullptr;
}

// Collects names in order, each once whatever its case.
class NameList {
public:
    void add(const QString& name) {
        if (!name.isEmpty() && !seen_.contains(name.toCaseFolded())) {
            seen_.insert(name.toCaseFolded());
            names_ << name;
        }
    }
    const QStringList& names() const { return names_; }

private:
    QStringList names_;
    QSet<QString> seen_;
};

QStringList sectionNames(const Document& doc) {
    NameList names;
    for (const Line& line : doc.lines) {
        if (line.kind == LineKind::Section) {
            names.add(line.name);
        }
    }
    return names.names();
}

QStringList keyNames(const Document& doc, const QString& section) {
    NameList names;
    const qsizetype header = findSection(doc, section);
    if (header < 0) {
        return {};
    }
    const qsizetype end = sectionEnd(doc, header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const Line& line = doc.lines[size_t(i)];
        if (line.kind == LineKind::Key) {
            names.add(line.name);
        }
    }
    return names.names();
}

qsizetype copyValue(std::span<QChar> buffer, const QString& text) {
    if (buffer.empty()) {
        return 0;
    }
    const qsizetype n = std::min<qsizetype>(text.size(), qsizetype(buffer.size()) - 1);
    std::copy_n(text.cbegin(), n, buffer.begin());
    buffer[size_t(n)] = QChar(u'\0');
    return n;
}

qsizetype copyList(std::span<QChar> buffer, const QStringList& names) {
    const qsizetype size = qsizetype(buffer.size());
    if (names.isEmpty()) {
        for (qsizetype i = 0; i < std::min<qsizetype>(size, 2); ++i) {
            buffer[size_t(i)] = QChar(u'\0');
        }
        return 0;
    }
    QString joined;
    for (const QString& name : names) {
        joined += name;
        joined += QChar(u'\0');
    }
    joined += QChar(u'\0');
    if (joined.size() <= size) {
        std::copy(joined.cbegin(), joined.cend(), buffer.begin());
        return joined.size() - 1;
    }
    if (size < 2) {
        if (size == 1) {
            buffer[0] = QChar(u'\0');
        }
        return 0;
    }
    std::copy_n(joined.cbegin(), size - 2, buffer.begin());
    buffer[size_t(size - 2)] = QChar(u'\0');
    buffer[size_t(size - 1)] = QChar(u'\0');
    return size - 2;
}

bool hasLineBreakOrNul(const QString& text) {
    return std::any_of(text.cbegin(), text.cend(),
                       [](QChar c) { return c == u'\r' || c == u'\n' || c == u'\0'; });
}

bool isStorableKey(const QString& key) {
    return !key.isEmpty() && !hasLineBreakOrNul(key) && !key.contains(u'=') &&
           !key.startsWith(u'[') && !key.startsWith(u';');
}

bool folderOfFileExists(const FileSystem& fs, const QString& fileName) {
    const QString native = fs.nativePath(fileName);
    return fs.dirExists(QFileInfo(native).absolutePath());
}

void setError(ProfileError* error, ProfileError value) {
    if (error) {
        *error = value;
    }
}

// Reads and parses the file; a missing or unreadable file gives nothing and *error says why.
std::optional<Document> load(const FileSystem& fs, const QString& fileName, ProfileError* error) {
    if (fileName.trimmed().isEmpty()) {
        setError(error, ProfileError::BadFileName);
        return std::nullopt;
    }
    if (fs.dirExists(fileName)) {
        setError(error, ProfileError::NotAFile);
        return std::nullopt;
    }
    if (!fs.fileExists(fileName)) {
        setError(error, ProfileError::NotFound);
        return std::nullopt;
    }
    const auto bytes = fs.readAll(fileName);
    if (!bytes) {
        setError(error, ProfileError::CannotRead);
        return std::nullopt;
    }
    return parse(*bytes);
}

bool deleteSection(Document& doc, const QString& section) {
    std::vector<Line> kept;
    kept.reserve(doc.lines.size());
    bool inDeleted = false;
    bool changed = false;
    for (Line& line : doc.lines) {
        if (line.kind == LineKind::Section) {
            inDeleted = sameName(line.name, section);
        }
        if (inDeleted) {
            changed = true;
        } else {
            kept.push_back(std::move(line));
        }
    }
    doc.lines = std::move(kept);
    return changed;
}

bool deleteKey(Document& doc, const QString& section, const QString& key) {
    const qsizetype header = findSection(doc, section);
    if (header < 0) {
        return false;
    }
    const qsizetype end = sectionEnd(doc, header);
    const auto first = doc.lines.begin() + header + 1;
    const auto last = doc.lines.begin() + end;
    const auto gone = std::remove_if(first, last, [&key](const Line& line) {
        return line.kind == LineKind::Key && sameName(line.name, key);
    });
    if (gone == last) {
        return false;
    }
    doc.lines.erase(gone, last);
    return true;
}

// Gives the line at index i an end, so that a line can follow it.
void endLine(Document& doc, qsizetype i) {
    Line& line = doc.lines[size_t(i)];
    if (line.end.isEmpty()) {
        line.end = kNewLineEnd;
    }
}

bool setValue(Document& doc, const QString& section, const QString& key, const QString& value) {
    const qsizetype header = findSection(doc, section);
    if (header < 0) {
        makeRoomFor(doc, section + key + value);
        if (!doc.lines.empty()) {
            endLine(doc, qsizetype(doc.lines.size()) - 1);
        }
        doc.lines.push_back(makeLine(doc, u'[' + section + u']'));
        doc.lines.push_back(makeLine(doc, key + u'=' + value));
        return true;
    }
    const qsizetype end = sectionEnd(doc, header);
    qsizetype lastFilled = header;
    for (qsizetype i = header + 1; i < end; ++i) {
        Line& line = doc.lines[size_t(i)];
        if (line.kind == LineKind::Key && sameName(line.name, key)) {
            const QString text = line.text.left(line.valueStart) + value;
            if (text == line.text) {
                return false;
            }
            makeRoomFor(doc, text);
            line.text = text;
            line.raw = encodeLine(doc, text);
            classify(line);
            return true;
        }
        if (!trimBlanks(line.text).isEmpty()) {
            lastFilled = i;
        }
    }
    makeRoomFor(doc, key + value);
    endLine(doc, lastFilled);
    doc.lines.insert(doc.lines.begin() + lastFilled + 1, makeLine(doc, key + u'=' + value));
    return true;
}

}  // namespace

qsizetype getPrivateProfileString(const FileSystem& fs, const ProfileText& section,
                                  const ProfileText& key, const ProfileText& defaultValue,
                                  std::span<QChar> buffer, const QString& fileName,
                                  ProfileError* error) {
    setError(error, ProfileError::None);
    const QString fallback = defaultValue.value_or(QString());
    const QString sectionName = section ? trimBlanks(*section) : QString();
    const QString keyName = key ? trimBlanks(*key) : QString();

    // Names that can match nothing need no look at the file.
    if (section && (sectionName.isEmpty() || (key && keyName.isEmpty()))) {
        return copyValue(buffer, fallback);
    }
    const std::optional<Document> doc = load(fs, fileName, error);
    if (!section) {
        return copyList(buffer, doc ? sectionNames(*doc) : QStringList());
    }
    if (!key) {
        const QStringList keys = doc ? keyNames(*doc, sectionName) : QStringList();
        return keys.isEmpty() ? copyValue(buffer, fallback) : copyList(buffer, keys);
    }
    const Line* line = doc ? findKey(*doc, sectionName, keyName) : nullptr;
    return copyValue(buffer, line ? line->value : fallback);
}

bool writePrivateProfileString(FileSystem& fs, const ProfileText& section, const ProfileText& key,
                               const ProfileText& value, const QString& fileName,
                               ProfileError* error) {
    auto fail = [error](ProfileError why) {
        setError(error, why);
        return false;
    };
    setError(error, ProfileError::None);
    if (fileName.trimmed().isEmpty()) {
        return fail(ProfileError::BadFileName);
    }
    if (fs.dirExists(fileName)) {
        return fail(ProfileError::NotAFile);
    }
    const bool exists = fs.fileExists(fileName);
    if (!exists && !folderOfFileExists(fs, fileName)) {
        return fail(ProfileError::NoFolder);
    }
    if (!section) {
        return fail(ProfileError::BadText);
    }
    const QString sectionName = trimBlanks(*section);
    if (sectionName.isEmpty()) {
        // Deleting the nameless section: nothing to do, which tells that the name is usable.
        return key ? fail(ProfileError::BadText) : true;
    }
    const QString keyName = key ? trimBlanks(*key) : QString();
    if (hasLineBreakOrNul(sectionName) || (key && !isStorableKey(keyName)) ||
        (key && value && hasLineBreakOrNul(*value))) {
        return fail(ProfileError::BadText);
    }

    Document doc;
    if (exists) {
        const auto bytes = fs.readAll(fileName);
        if (!bytes) {
            return fail(ProfileError::CannotRead);
        }
        doc = parse(*bytes);
    }
    bool changed = false;
    if (!key) {
        changed = deleteSection(doc, sectionName);
    } else if (!value) {
        changed = deleteKey(doc, sectionName, keyName);
    } else {
        changed = setValue(doc, sectionName, keyName, *value);
    }
    if (!changed) {
        return true;
    }
    if (!fs.replaceFile(fileName, serialize(doc))) {
        return fail(ProfileError::CannotWrite);
    }
    return true;
}

}  // namespace qv
