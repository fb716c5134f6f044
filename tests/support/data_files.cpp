#include "tests/support/data_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qv::test {

QString DataPath(const QString& relative) {
    return QStringLiteral(QV_TEST_DATA_DIR "/") + relative;
}

QByteArray ReadData(const QString& relative) {
    QFile f(DataPath(relative));
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read test data " << DataPath(relative).toStdString();
        return {};
    }
    return f.readAll();
}

std::string Case::where() const {
    return file.toStdString() + ':' + std::to_string(line);
}

QStringList Case::list(int i, QChar separator) const {
    return text(i).isEmpty() ? QStringList() : text(i).split(separator);
}

QStringList Case::from(int i) const {
    QStringList out;
    for (; i < static_cast<int>(cells.size()); ++i) {
        out << text(i);
    }
    return out;
}

namespace {

// Splits one line into cells; an unclosed quote or a bad escape fails the test.
std::vector<std::optional<QByteArray>> parseCells(const QByteArray& line, const std::string& at) {
    std::vector<std::optional<QByteArray>> cells;
    qsizetype i = 0;
    const qsizetype n = line.size();
    for (;;) {
        while (i < n && (line[i] == ' ' || line[i] == '\t')) {
            ++i;
        }
        std::optional<QByteArray> cell;
        if (i < n && line[i] == '"') {
            QByteArray out;
            bool closed = false;
            for (++i; i < n; ++i) {
                const char c = line[i];
                if (c == '"') {
                    closed = true;
                    ++i;
                    break;
                }
                if (c != '\\' || i + 1 >= n) {
                    out += c;
                    continue;
                }
                const char e = line[++i];
                if (e == 'x') {  // two hex digits
                    bool ok = false;
                    out += static_cast<char>(line.mid(i + 1, 2).toInt(&ok, 16));
                    EXPECT_TRUE(ok && i + 2 < n) << at << ": bad \\x escape";
                    i += 2;
                } else {  // \r \n \t \0, or the character itself: \\ \" \|
                    const qsizetype k = QByteArrayView("rnt0").indexOf(e);
                    out += k < 0 ? e : "\r\n\t"[k];
                }
            }
            if (!closed) {
                ADD_FAILURE() << at << ": unclosed quote";
            }
            cell = out;
            while (i < n && line[i] != '|') {
                ++i;
            }
        } else {
            const qsizetype start = i;
            while (i < n && line[i] != '|') {
                ++i;
            }
            const QByteArray bare = line.mid(start, i - start).trimmed();
            if (bare != "-") {
                cell = bare;
            }
        }
        cells.push_back(cell);
        if (i >= n) {
            break;
        }
        ++i;  // the '|'
    }
    return cells;
}

}  // namespace

std::vector<Case> Cases(const QString& relative) {
    std::vector<Case> out;
    const QList<QByteArray> lines = ReadData(relative).split('\n');
    for (int k = 0; k < lines.size(); ++k) {
        QByteArray line = lines[k];
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        if (line.trimmed().isEmpty() || line.trimmed().startsWith('#')) {
            continue;
        }
        Case c;
        c.file = relative;
        c.line = k + 1;
        c.cells = parseCells(line, c.where());
        out.push_back(std::move(c));
    }
    EXPECT_FALSE(out.empty()) << relative.toStdString() << " holds no cases";
    return out;
}

void ExpectGolden(const QString& relative, const QString& actual) {
    const QString path = DataPath(relative);
    if (qEnvironmentVariable("QUORVANE_BLESS") == QStringLiteral("1")) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
        f.write(actual.toUtf8());
        return;
    }
    const QString expected = QString::fromUtf8(ReadData(relative));
    if (expected == actual) {
        return;
    }
    const QStringList want = expected.split(u'\n');
    const QStringList got = actual.split(u'\n');
    qsizetype line = 0;
    while (line < want.size() && line < got.size() && want[line] == got[line]) {
        ++line;
    }
    ADD_FAILURE() << relative.toStdString() << " differs at line " << line + 1
                  << "\n  expected: " << want.value(line, "(end)").toStdString()
                  << "\n  actual:   " << got.value(line, "(end)").toStdString()
                  << "\n--- actual text ---\n"
                  << actual.toStdString();
}

}  // namespace qv::test
