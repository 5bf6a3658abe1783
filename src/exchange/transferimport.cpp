#include "exchange/transferimport.h"

#include <QHash>
#include <QSet>

#include "core/config.h"
#include "core/files.h"
#include "core/text.h"
#include "data/sectionfile.h"
#include "platform/codec.h"
#include "platform/fileio.h"
#include "platform/prompt.h"

namespace mirel::exchange {
namespace {

const QChar Blank = QLatin1Char(' ');
const QString Attention = QStringLiteral("ВНИМАНИЕ !!!");

// A number field put into a place of `width` digits: "2" is "02", "0101" is "101". False for
// a field that is not all digits or whose extra leading digits are not zeros ("1101" is no
// form code).
bool padded(const QString& field, int width, QString& out) {
    if (field.isEmpty() || !core::Is_All_Digits(field)) return false;
    for (qsizetype i = 0; i < field.size() - width; ++i)
        if (field.at(i) != QLatin1Char('0')) return false;
    out = (QString(width, QLatin1Char('0')) + field).right(width);
    return true;
}

HeaderProblem parseHeader(const QString& header, TransferMatrix& m) {
    const QStringList f = header.split(Blank, Qt::SkipEmptyParts);
    if (f.size() != 4 && f.size() != 5) return HeaderProblem::FieldCount;
    if (!padded(f.at(0), 3, m.fff)) return HeaderProblem::FormCode;
    if (!padded(f.at(1), 2, m.rr)) return HeaderProblem::Section;
    const QString& period = f.at(2);
    if (f.size() == 5) {
        // The year may be written whole: 2005 and 05 are the same year.
        if (period.isEmpty() || period.size() > 4 || !core::Is_All_Digits(period))
            return HeaderProblem::Period;
        m.yy = (QStringLiteral("00") + period).right(2);
        if (!padded(f.at(3), 2, m.mm)) return HeaderProblem::Period;
    } else {
        if (period.size() != 4 || !core::Is_All_Digits(period)) return HeaderProblem::Period;
        m.yy = period.left(2);
        m.mm = period.right(2);
    }
    QString last = f.last();
    QString digits = core::Cut_Lead_Digits(last);
    if (digits.isEmpty()) return HeaderProblem::RegionCode;
    qsizetype zeros = 0;
    while (zeros < digits.size() - 1 && digits.at(zeros) == QLatin1Char('0'))
        ++zeros;
    m.cod = digits.mid(zeros);
    return HeaderProblem::None;
}

bool isBlankLine(QStringView line) {
    for (QChar c : line)
        if (c != Blank) return false;
    return true;
}

// Splits the squeezed piece into header and body.
void splitPiece(const QString& piece, TransferMatrix& m) {
    QList<QStringView> lines;
    const QStringView text(piece);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0) end = text.size();
        QStringView line = text.mid(start, end - start);
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        lines.append(line);
        start = end + 1;
    }
    m.header = lines.isEmpty() ? QString() : core::Trim(lines.first().toString());
    // Empty lines at the end go, and so does the state line of the next file of a
    // concatenation: it belongs to that file, not here.
    qsizetype last = lines.size() - 1;
    while (last >= 1 && (isBlankLine(lines.at(last)) ||
                         core::Trim(lines.at(last).toString()).startsWith(QLatin1String("PR_"))))
        --last;
    m.body.clear();
    for (qsizetype i = 1; i <= last; ++i) {
        m.body += lines.at(i);
        m.body += core::CRLF;
    }
}

} // namespace

bool Is_File_Imp(const QString& name, const reference::FormCatalog& forms) {
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot < 0) return true;
    const QString extension = name.mid(dot + 1).toUpper();
    if (extension == QLatin1String("TXT") || extension == QLatin1String("ML")) return true;
    for (const reference::CatalogEntry& entry : forms)
        if (entry.formCode == extension) return true;
    return false;
}

TransferListing listTransferDir(const reference::Session& session, int entry,
                                platform::Prompt& prompt) {
    TransferListing listing;
    listing.dir = core::importMenuDir(session.importMenu.value(entry), session.programDir);
    if (!platform::dirExists(listing.dir)) {
        platform::showError(prompt, QStringLiteral("Не доступен директорий загрузки !!!"),
                            listing.dir);
        return listing;
    }
    listing.dir = platform::resolvePath(listing.dir);
    for (const QString& name : platform::listFiles(listing.dir))
        if (Is_File_Imp(name, session.forms)) listing.files.append(name);
    if (listing.files.isEmpty()) {
        listing.status = TransferListing::Status::Empty;
        platform::showInfo(prompt, QStringLiteral("Нет файлов для загрузки !!!"));
        return listing;
    }
    listing.status = TransferListing::Status::Listed;
    return listing;
}

QString headerProblemText(HeaderProblem problem) {
    switch (problem) {
    case HeaderProblem::None:
        break;
    case HeaderProblem::FieldCount:
        return QStringLiteral("В заголовке матрицы должно быть 4 или 5 полей !!!");
    case HeaderProblem::FormCode:
        return QStringLiteral("Недействительное значение кода формы !!!");
    case HeaderProblem::Section:
        return QStringLiteral("Недействительное значение номера раздела !!!");
    case HeaderProblem::Period:
        return QStringLiteral("Недействительное значение отчетного периода !!!");
    case HeaderProblem::RegionCode:
        return QStringLiteral("Недействительное значение кода региона !!!");
    }
    return QString();
}

QString TransferMatrix::headerLine() const {
    return data::g_PR_Matrix + header;
}

QString TransferMatrix::content() const {
    return QStringLiteral("PR_?") + core::CRLF + data::g_PR_Matrix + fff + Blank + rr + Blank + yy +
           Blank + mm + Blank + cod + core::CRLF + body;
}

TransferReader::TransferReader(const QString& text)
    : m_text(text) {
    core::Tabs_To_Spaces(m_text);
    m_text.replace(QStringLiteral(";\r\n"), QStringLiteral("\r\n"));
    m_text.replace(QStringLiteral(";\n"), QStringLiteral("\n"));
    const QString& mark = data::g_PR_Matrix;
    const auto startsWithDigit = [this](qsizetype at) {
        return at < m_text.size() && core::isDigit(m_text.at(at));
    };
    qsizetype begin = 0;
    while (true) {
        const qsizetype found = m_text.indexOf(mark, begin);
        const qsizetype end = found < 0 ? m_text.size() : found;
        if (startsWithDigit(begin)) m_pieces.append({begin, end});
        if (found < 0) break;
        begin = found + mark.size();
    }
}

bool TransferReader::next(TransferMatrix& matrix) {
    if (m_next >= m_pieces.size()) return false;
    const auto [begin, end] = m_pieces.at(m_next++);
    QString piece = m_text.mid(begin, end - begin);
    piece += core::CRLF;
    core::Squeeze_Spaces(piece);
    matrix = TransferMatrix();
    splitPiece(piece, matrix);
    matrix.problem = parseHeader(matrix.header, matrix);
    return true;
}

namespace {

// One load of one file: the tree, the keys of what the file has given so far (a_Keys), and the
// counts of the outcome.
class TransferLoad {
    using Level = TransferNode::Level;

public:
    TransferLoad(const reference::Session& session, TransferMode mode, platform::Prompt& prompt,
                 TransferObserver* observer, TransferOutcome& outcome)
        : m_session(session)
        , m_mode(mode)
        , m_prompt(prompt)
        , m_observer(observer)
        , m_out(outcome) {}

    // F__Import: one matrix. 0 when its section was written.
    int F__Import(const TransferMatrix& m) {
        if (m.problem != HeaderProblem::None) {
            ++m_out.badHeaders;
            platform::showError(m_prompt, headerProblemText(m.problem), m.headerLine());
            return -1;
        }
        const QString period = m.yy + m.mm;
        const QString form = period + QLatin1Char('.') + m.fff;
        const QString region = form + QLatin1Char('\\') + m.cod;
        const QString section = region + QLatin1Char('.') + m.rr;
        if (!m_keys.contains(period)) {
            addNode(period, period, -1, Level::Period);
            return Imp_Name_Reg(m, period, form, region, section);
        }
        if (!m_keys.contains(form) || !m_keys.contains(region))
            return Imp_Name_Reg(m, period, form, region, section);
        if (m_keys.contains(section)) {
            ++m_out.duplicates;
            platform::showError(
                m_prompt, QStringLiteral("Попытка повторного ввода уже загруженных данных !!!"),
                m.headerLine());
            return -1;
        }
        return Import_WriteRR(m, region, section);
    }

private:
    // The period data folder exists; the form and region nodes are there; then the section.
    int Imp_Name_Reg(const TransferMatrix& m, const QString& period, const QString& form,
                     const QString& region, const QString& section) {
        const QString dir = data::periodDataDir(m_session.dir(core::DirDAT), m.yy, m.mm, m.fff);
        if (!m_keys.contains(form)) {
            // A folder that cannot be made shows as the write error of the section.
            if (!platform::dirExists(dir)) platform::makeDir(dir);
            addNode(form, QStringLiteral("форма ") + m.fff, m_index.value(period), Level::Form);
        }
        if (!m_keys.contains(region)) {
            const QString name = reference::regionName(m_session.regions, m.cod);
            addNode(region, name.isEmpty() ? m.cod : m.cod + QStringLiteral(" - ") + name,
                    m_index.value(form), Level::Region);
        }
        return Import_WriteRR(m, region, section);
    }

    // "Ввод" leaves an existing section alone; otherwise the file is written.
    int Import_WriteRR(const TransferMatrix& m, const QString& region, const QString& section) {
        const QString path = data::sectionFilePath(m_session.dir(core::DirDAT), m.yy, m.mm, m.fff,
                                                   m.cod, m.rr.toInt());
        int status = 0;
        if (m_mode == TransferMode::Entry && platform::fileExists(path)) {
            ++m_out.refused;
            addNode(section,
                    QStringLiteral("раздел ") + m.rr +
                        QStringLiteral(" - ОШИБКА !!! - повторный ввод"),
                    m_index.value(region), Level::Section, PictureTransferError);
            status = -1;
        } else {
            status = Import_Memo_Write(m, path, region, section);
        }
        m_keys.insert(section); // Add_A_Keys
        return status;
    }

    int Import_Memo_Write(const TransferMatrix& m, const QString& path, const QString& region,
                          const QString& section) {
        const QString text = QStringLiteral("раздел ") + m.rr;
        if (core::Write_Text_File(path, m.content(), m_prompt) != 0) {
            ++m_out.writeFailures;
            addNode(section, text + QStringLiteral(" - ОШИБКА ЗАПИСИ !!!"), m_index.value(region),
                    Level::Section, PictureTransferError);
            return -1;
        }
        ++m_out.written;
        addNode(section, text, m_index.value(region), Level::Section, PictureTransferFile);
        return 0;
    }

    // Adds a node and remembers its key (Add_A_Keys).
    void addNode(const QString& key, const QString& text, int parent, Level level,
                 int picture = PictureTransferNode) {
        m_keys.insert(key);
        m_index.insert(key, int(m_out.nodes.size()));
        m_out.nodes.append(TransferNode{key, text, picture, parent, level});
        if (m_observer) m_observer->nodeAdded(m_out.nodes, int(m_out.nodes.size()) - 1);
    }

    const reference::Session& m_session;
    TransferMode m_mode;
    platform::Prompt& m_prompt;
    TransferObserver* m_observer;
    TransferOutcome& m_out;
    QSet<QString> m_keys;
    QHash<QString, int> m_index; // node of a key
};

} // namespace

TransferOutcome loadTransferFile(const reference::Session& session, const QString& path,
                                 TransferMode mode, platform::Prompt& prompt,
                                 TransferObserver* observer) {
    TransferOutcome outcome;
    bool found = false;
    QString text = core::Trim(core::Read_Whole_File(path, false, prompt, &found));
    if (!found) return outcome; // why has been shown
    if (text.isEmpty()) {
        outcome.status = TransferOutcome::Status::Empty;
        platform::showError(prompt, QStringLiteral("Файл для загрузки данных пуст !!!"), Attention);
        return outcome;
    }
    text += core::CRLF;
    TransferReader reader(text);
    text.clear();
    // Without a matrix there is nothing to load: the window keeps its listing.
    if (reader.count() == 0) {
        outcome.status = TransferOutcome::Status::NoData;
        platform::showError(prompt, QStringLiteral("В файле отсутствуют данные для загрузки !!!"),
                            Attention);
        return outcome;
    }

    // F_Import
    if (observer) observer->loadStarted();
    TransferLoad load(session, mode, prompt, observer, outcome);
    platform::Progress progress(prompt, reader.count());
    TransferMatrix matrix;
    for (int done = 1; reader.next(matrix); ++done) {
        load.F__Import(matrix);
        if (!progress.step(done) && done < reader.count()) {
            progress.finish();
            if (observer) observer->loadFinished();
            outcome.status = TransferOutcome::Status::Stopped;
            platform::showInfo(prompt, platform::stoppedText());
            return outcome;
        }
    }
    progress.finish();
    if (observer) observer->loadFinished();
    outcome.status = TransferOutcome::Status::Loaded;
    platform::showInfo(prompt, QStringLiteral("Загрузка завершена!!!"));
    return outcome;
}

QStringList transferTreeLines(const QList<TransferNode>& nodes) {
    QList<QList<int>> children(nodes.size());
    QList<int> roots;
    for (int i = 0; i < nodes.size(); ++i)
        (nodes.at(i).parent < 0 ? roots : children[nodes.at(i).parent]).append(i);
    QStringList lines;
    lines.reserve(nodes.size());
    // Depth first, each level in the order its nodes were added.
    QList<std::pair<int, int>> stack; // node, level
    for (qsizetype i = roots.size() - 1; i >= 0; --i)
        stack.append({roots.at(i), 0});
    while (!stack.isEmpty()) {
        const auto [node, level] = stack.takeLast();
        const TransferNode& n = nodes.at(node);
        lines.append(QString(2 * level, Blank) + n.text + QLatin1Char('\t') +
                     QString::number(n.picture));
        const QList<int>& below = children.at(node);
        for (qsizetype i = below.size() - 1; i >= 0; --i)
            stack.append({below.at(i), level + 1});
    }
    return lines;
}

} // namespace mirel::exchange
