#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace mirel::platform {
class Prompt;
}

namespace mirel::exchange {

// The HTML log of an import with logical control: LOG_YYYY_MM_FFF.HTM in the workspace. Its
// table always ends with the insertion row; rows are added in front of it.
QString logFileName(const QString& year, const QString& month, const QString& formCode);
// Head_Log_File: the skeleton of the page, with its code-page declaration.
QString Head_Log_File(const QString& year, const QString& month, const QString& formCode,
                      const QDateTime& now);
// The insertion row, and a row with a text in its place.
QString insertionRow();
QString logRow(const QString& text);
// The rows of a region (Write_Log_Reg) and of a section (Write_Log_RR), and the row of a
// section that a rule refers to and that has no data.
QStringList regionRows(const QString& cod, const QString& regionName);
QString sectionRow(int section);
QString missingRow(const QString& formCode, const QString& section, const QString& year,
                   const QString& month);

// The log of one conversion run. open() writes a fresh skeleton (Open_Log_File); add() puts
// rows in front of the insertion row; flush() writes the page whole when rows were added since
// the last write. Writes go through the whole-file writer: a failure shows the write-error
// message titled with the path and leaves the previous page as it was.
class ImportLog {
public:
    bool open(const QString& dir, const QString& year, const QString& month,
              const QString& formCode, const QDateTime& now, platform::Prompt& prompt);
    void add(const QStringList& rows);
    void add(const QString& row);
    bool flush(platform::Prompt& prompt);
    QString path() const { return m_path; }
    bool isOpen() const { return !m_path.isEmpty(); }
    const QString& text() const { return m_text; }

private:
    QString m_path;
    QString m_text;
    qsizetype m_insertAt = -1; // where the insertion row stands in the text
    bool m_dirty = false;
};

} // namespace mirel::exchange
