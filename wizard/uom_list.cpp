#include "wizard/uom_list.h"

#include "settings/vb_text.h"

namespace qv {

namespace {

QString fitCode(const QString& label) {
    if (label.size() >= kUomCodeWidth) {
        return label.left(kUomCodeWidth);
    }
    return label + QString(kUomCodeWidth - label.size(), u' ');
}

}  // namespace

QString UomEntryFromLine(const QString& line) {
    static const QString kLabel = QStringLiteral("[LABEL]");
    static const QString kDesc = QStringLiteral("[DESC]");
    if (!line.contains(kLabel) && !line.contains(kDesc)) {
        return {};
    }
    const QString stop = QStringLiteral("[");
    return fitCode(GetTaggedValue(line, kLabel, stop)) + QStringLiteral(" - ") +
           GetTaggedValue(line, kDesc, stop);
}

UomFile ReadUomFile(const FileSystem& fs, const QString& dataFolder) {
    UomFile result;
    const QString path = dataFolder + u'\\' + QString::fromLatin1(kUomFileName);
    if (!fs.fileExists(path)) {
        result.entries << QString::fromLatin1(kDefaultUomEntry);
        return result;
    }
    QString error;
    const std::optional<QStringList> lines = fs.readLines(path, &error);
    if (!lines) {
        result.entries << QString::fromLatin1(kDefaultUomEntry);
        result.problem = QStringLiteral(
                             "The unit of measure file %1 cannot be read (%2). "
                             "Only the unit \"%3\" is offered.")
                             .arg(path, error, QString::fromLatin1(kDefaultUomEntry));
        return result;
    }
    int skipped = 0;
    int firstSkipped = 0;
    for (int i = 0; i < lines->size(); ++i) {
        const QString& line = lines->at(i);
        const QString entry = UomEntryFromLine(line);
        if (!entry.isEmpty()) {
            result.entries << entry;
        } else if (!line.trimmed().isEmpty()) {
            if (skipped++ == 0) {
                firstSkipped = i + 1;
            }
        }
    }
    if (skipped > 0) {
        result.problem = QStringLiteral(
                             "%1 line(s) of the unit of measure file %2 hold no [LABEL] or [DESC] "
                             "and were left out (the first is line %3).")
                             .arg(skipped)
                             .arg(path)
                             .arg(firstSkipped);
    }
    return result;
}

int FindUomEntry(const QStringList& entries, const QString& uom) {
    if (entries.isEmpty()) {
        return -1;
    }
    if (uom.trimmed().isEmpty()) {
        return 0;
    }
    const QString code = fitCode(uom);
    for (int i = 0; i < entries.size(); ++i) {
        if (fitCode(entries.at(i).left(kUomCodeWidth)) == code) {
            return i;
        }
    }
    return -1;
}

QString UomDescription(const QString& entry) {
    static const QString kSeparator = QStringLiteral(" - ");
    if (entry.mid(kUomCodeWidth, kSeparator.size()) == kSeparator) {
        return entry.mid(kUomCodeWidth + kSeparator.size()).trimmed();
    }
    const qsizetype dash = entry.indexOf(u'-');
    return dash < 0 ? entry : entry.mid(dash + 1).trimmed();
}

}  // namespace qv
