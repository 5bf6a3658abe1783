#pragma once

#include <algorithm>
#include <optional>
#include <QList>
#include <QString>
#include <QStringList>

namespace mirel::core {

// Line lists are 0-based; the empty list is a list holding one empty text. Searches return
// 1-based positions, 0 for "not found".

inline bool isEmptyList(const QStringList& list) {
    return list.isEmpty() || list.first().isEmpty();
}
inline QStringList emptyList() {
    return QStringList{QString()};
}

// First element, from the 0-based start on, that begins with the prefix (case-sensitive).
int Find_Prefix(const QStringList& list, const QString& prefix, int start = 0);
// Without the flag the first element equal to the text; with it the first element whose
// upper-cased form begins with the text.
int Find_Text(const QStringList& list, const QString& text, bool prefix = false);
int Find_Value(const QStringList& list, const QString& value);
int Find_Number(const QList<double>& list, double number);
int Find_Containing(const QStringList& list, const QString& text);
// First row of a table whose cell in the column equals the value.
int Find_In_Table(const QList<QStringList>& table, const QString& value, int column);

// Pair lists: elements may be absent; searches skip them.
template <typename Pair, typename Getter>
int Find_In_Pairs(const QList<std::optional<Pair>>& list, const QString& value, Getter item) {
    for (int i = 0; i < list.size(); ++i)
        if (list.at(i) && item(*list.at(i)) == value) return i + 1;
    return 0;
}

// Grows the list by one unless it is the empty list, then stores the text in the last element.
void Append_Line(QStringList& list, const QString& text);
void Insert_At(QStringList& list, const QString& text, int index);
void Insert_List_At(QStringList& list, const QStringList& other, int index);
template <typename T>
void Fill_Array(QList<T>& list, const T& value) {
    std::fill(list.begin(), list.end(), value);
}
// Ascending sort with the ordinary comparison; equal elements keep their order.
template <typename T>
void Sort_Values(QList<T>& list) {
    std::stable_sort(list.begin(), list.end());
}

} // namespace mirel::core
