#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include "reference/session.h"

namespace mirel::platform {
class Prompt;
}

namespace mirel::exchange {

// The Excel import folder lies in the working directory and carries this very name.
inline const QString g_s_Import_XLS =
    QStringLiteral("Загрузка файлов Excel (КодРегиона_ФФФ_ГГММ.XLS)");
QString importFolder(const reference::Session& session);

// The messages put in front of the name of a workbook that cannot be loaded.
inline const QString NoRegionPrefix = QStringLiteral("Не выделен код региона - ");
inline const QString BadRegionPrefix = QStringLiteral("Недействительное значение кода региона - ");
inline const QString NoFormPrefix = QStringLiteral("Не выделен код формы - ");
inline const QString BadFormPrefix = QStringLiteral("Недействительное значение кода формы - ");
inline const QString BadPeriodPrefix =
    QStringLiteral("Недействительное значение отчетного периода - ");
inline const QString NotExcelPrefix = QStringLiteral("Не файл Excel - ");
inline const QString NoSettingsSuffix = QStringLiteral(" - нет файлов настроек !!!");
inline const QString LoadedPrefix = QStringLiteral("Загружен - ");

// A workbook name ends with ".xls", ".xlsx" or ".ods" (the name lower-cased).
bool isWorkbookName(const QString& lowerName);

// The parts of a workbook name COD_FFF_YYMM.xls: everything before the first "_", between the
// first and the second "_", and the first four characters after the second "_" (each empty
// when the name lacks it).
struct XlsName {
    QString cod;
    QString fff;
    QString yymm;
    bool hasSecond = false; // the name has a second "_"
};
// V_XLS: splits a lower-cased name; true ("invalid") when it is no workbook name, lacks a part,
// or names another period than yymm.
bool V_XLS(const QString& lowerName, XlsName& parts, const QString& yymm);

// The classifier slot of a region given by the digits of a name (its numeric value, so 01401
// and 1401 are the same region); -1 when none. cod gets the value without leading zeros.
int regionOfName(const reference::Regions& regions, const QString& digits, QString& cod);

// The same for many names: the regions by the value of their codes, found once.
class RegionIndex {
public:
    explicit RegionIndex(const reference::Regions& regions);
    int find(const QString& digits, QString& cod) const;

private:
    QHash<qulonglong, int> m_slots; // the first region of each code's value
};

// The latest catalogued base period YYYYMM of the form not later than the period; empty when
// none.
QString Found_BasePer(const reference::FormCatalog& catalog, const QString& formCode,
                      const QString& periodCode);

// Nodes of the import tree. The pictures are those of the window's tree: 1 a workbook, 2 a
// form, 4 a workbook that cannot be loaded.
enum class NodeKind { Form, Workbook, Rejected };
inline constexpr int PictureWorkbook = 1;
inline constexpr int PictureForm = 2;
inline constexpr int PictureRejected = 4;
struct ImportNode {
    NodeKind kind = NodeKind::Rejected;
    QString key;  // "форма FFF" for a form, the file's path otherwise
    QString text; // what the tree shows
    int picture = PictureRejected;
    QString formCode;           // the form of a form node and of its workbooks
    QList<ImportNode> children; // the workbooks of a form node
};
// The key of a form node.
QString formKey(const QString& formCode);

// Move_XLS_Folders: moves the workbooks of the staging subfolders FFF_YYMM (named after a
// region of the classifier) into the import folder as COD_FFF_YYMM with their extension.
// A workbook whose new name is taken stays where it is, with a warning. Returns how many moved.
int Move_XLS_Folders(const QString& folder, const reference::Regions& regions,
                     platform::Prompt& prompt);

// ReName_XLS: puts the message in front of the name of a file of the folder. A name that is
// taken already is never overwritten: the new name then gets "_1", "_2"... before its
// extension. Returns the new name; the old name when the file could not be renamed.
QString ReName_XLS(const QString& message, const QString& name, const QString& folder);

// Import_XLS: checks the names of the files of the folder against the period, the catalog and
// the classifier, prefixes rejected names that begin with a digit and builds the tree. False
// after "Нет файлов Excel для заданного отчетного периода !!!" when no name is valid (nothing
// is renamed then).
bool Import_XLS(const QStringList& files, const QString& folder, const reference::Session& session,
                const QString& year, const QString& month, QList<ImportNode>& nodes,
                platform::Prompt& prompt);

// menu_XLS_Click: the listing of the import folder for the period (the folder is created when
// missing, staging subfolders are emptied into it first).
struct Listing {
    enum class Status { Listed, NoFiles, NoneForPeriod };
    Status status = Status::NoFiles;
    QString folder;
    QList<ImportNode> nodes;
};
Listing listImportFolder(const reference::Session& session, const QString& year,
                         const QString& month, platform::Prompt& prompt);

// The tree as lines: two blanks per level, the node's text, a tab and its picture number.
QStringList treeLines(const QList<ImportNode>& nodes);

} // namespace mirel::exchange
