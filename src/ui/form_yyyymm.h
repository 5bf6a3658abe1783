#pragma once

#include <QDialog>

#include "platform/prompt.h"

class QLineEdit;

namespace mirel::ui {

// What closing the period dialog does with the typed month and year (both trimmed).
enum class PeriodInput {
    Valid, // rewrite the configuration and take the new period
    BadYear, // "Неправильно введен год отчетного периода !!!", stay open
    BadMonth, // "Неправильно введен месяц отчетного периода !!!", stay open
    Leave, // any other month text: close without change
};
// A month is one or two digits; a year exactly four digits. An empty month or a number of
// more than two characters is a bad month; any other month text leaves the dialog unchanged.
PeriodInput checkPeriodInput(const QString& month, const QString& year);

// The period dialog "Коррекция отчетного периода.": month and year fields read from the last
// "MM=" and "YYYY=" lines of the configuration. Closing it (Alt-F4, the close box, Enter in
// the year field) checks the period, rewrites the configuration and, on success, leaves the
// new period in year() and month() with the result Accepted. Escape leaves without change.
// It does not open when the configuration lacks either line (the message is shown).
class Form_YYYYMM : public QDialog {
    Q_OBJECT
public:
    Form_YYYYMM(const QString& iniPath, platform::Prompt& prompt, QWidget* parent = nullptr);

    // Shows the dialog modally; returns Rejected at once when the configuration lacks its
    // period lines. A line without a value opens the dialog with that field empty, to be typed.
    int exec() override;
    void reject() override;

    QString month() const { return m_month; }
    QString year() const { return m_year; }
    QLineEdit* monthField() const { return m_monthField; }
    QLineEdit* yearField() const { return m_yearField; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();
    // The closing rules; true when the dialog may close.
    bool Form_QueryUnload();

    QString m_iniPath;
    bool m_linesFound = false;
    platform::Prompt& m_prompt;
    QLineEdit* m_monthField = nullptr;
    QLineEdit* m_yearField = nullptr;
    QString m_month;
    QString m_year;
};

} // namespace mirel::ui
