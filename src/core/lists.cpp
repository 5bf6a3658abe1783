#include "core/lists.h"

namespace mirel::core {

int Find_Prefix(const QStringList& list, const QString& prefix, int start) {
    for (int i = std::max(0, start); i < list.size(); ++i)
        if (list.at(i).startsWith(prefix)) return i + 1;
    return 0;
}

int Find_Text(const QStringList& list, const QString& text, bool prefix) {
    for (int i = 0; i < list.size(); ++i) {
        if (prefix ? list.at(i).toUpper().startsWith(text) : list.at(i) == text) return i + 1;
    }
    return 0;
}

int Find_Value(const QStringList& list, const QString& value) {
    return Find_Text(list, value);
}

int Find_Number(const QList<double>& list, double number) {
    for (int i = 0; i < list.size(); ++i)
        if (list.at(i) == number) return i + 1;
    return 0;
}

int Find_Containing(const QStringList& list, const QString& text) {
    for (int i = 0; i < list.size(); ++i)
        if (list.at(i).contains(text)) return i + 1;
    return 0;
}

int Find_In_Table(const QList<QStringList>& table, const QString& value, int column) {
    for (int i = 0; i < table.size(); ++i)
        if (column < table.at(i).size() && table.at(i).at(column) == value) return i + 1;
    return 0;
}

void Append_Line(QStringList& list, const QString& text) {
    if (list.isEmpty()) {
        list.append(text);
        return;
    }
    if (!list.first().trimmed().isEmpty()) list.append(QString());
    list.last() = text;
}

void Insert_At(QStringList& list, const QString& text, int index) {
    list.insert(std::clamp<qsizetype>(index, 0, list.size()), text);
}

void Insert_List_At(QStringList& list, const QStringList& other, int index) {
    qsizetype at = std::clamp<qsizetype>(index, 0, list.size());
    for (const QString& s : other)
        list.insert(at++, s);
}

} // namespace mirel::core
