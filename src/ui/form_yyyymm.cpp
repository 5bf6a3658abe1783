#include "ui/form_yyyymm.h"

#include <algorithm>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "core/config.h"
#include "core/text.h"
#include "platform/fileio.h"

namespace mirel::ui {

PeriodInput checkPeriodInput(const QString& month, const QString& year) {
    const bool monthNumeric = core::IsNumeric(month);
    if (!month.isEmpty() && month.size() <= 2 && monthNumeric) {
        // Signs, decimal points and exponents pass as numbers but make no month.
        if (!core::Is_All_Digits(month)) return PeriodInput::BadMonth;
        if (year.size() == 4 && core::Is_All_Digits(year)) return PeriodInput::Valid;
        return PeriodInput::BadYear;
    }
    if (month.isEmpty() || monthNumeric) return PeriodInput::BadMonth;
    return PeriodInput::Leave;
}

Form_YYYYMM::Form_YYYYMM(const QString& iniPath, platform::Prompt& prompt, QWidget* parent)
    : QDialog(parent)
    , m_iniPath(iniPath)
    , m_prompt(prompt) {
    setObjectName(QStringLiteral("Form_YYYYMM"));
    setWindowTitle(QStringLiteral("Коррекция отчетного периода."));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    m_monthField = new QLineEdit(this);
    m_monthField->setObjectName(QStringLiteral("Txt_MM"));
    m_yearField = new QLineEdit(this);
    m_yearField->setObjectName(QStringLiteral("Txt_YYYY"));
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    m_monthField->setFixedWidth(digit * 6);
    m_yearField->setFixedWidth(digit * 8);
    m_monthField->setAlignment(Qt::AlignRight);
    m_yearField->setAlignment(Qt::AlignRight);

    auto* hint = new QLabel(QStringLiteral("Alt-F4 - Выход"), this);
    hint->setObjectName(QStringLiteral("Lbl_Exit"));

    auto* fields = new QHBoxLayout;
    fields->addStretch();
    fields->addWidget(m_monthField);
    fields->addWidget(m_yearField);
    fields->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 14, 18, 12);
    layout->setSpacing(10);
    layout->addLayout(fields);
    layout->addWidget(hint, 0, Qt::AlignHCenter);
    setFixedSize(std::max(sizeHint().width(), 280), sizeHint().height());

    connect(m_monthField, &QLineEdit::returnPressed, this, [this] {
        m_yearField->setFocus();
        m_yearField->selectAll();
    });
    connect(m_yearField, &QLineEdit::returnPressed, this, &QWidget::close);

    Form_Load();
}

void Form_YYYYMM::Form_Load() {
    if (platform::isReadOnly(m_iniPath)) platform::setReadOnly(m_iniPath, false);
    const core::PeriodLines lines = core::readPeriodLines(m_iniPath, m_prompt);
    m_linesFound = lines.found;
    if (!lines.found) return;
    m_monthField->setText(lines.month);
    m_yearField->setText(lines.year);
}

int Form_YYYYMM::exec() {
    // Empty fields after the missing-lines message: the dialog has nothing to correct. A line
    // whose value is empty is just what the dialog is for, so it opens on the empty field.
    if (!m_linesFound) return QDialog::Rejected;
    QLineEdit* first =
        core::Trim(m_monthField->text()).isEmpty() || !core::Trim(m_yearField->text()).isEmpty()
            ? m_monthField
            : m_yearField;
    first->setFocus();
    first->selectAll();
    return QDialog::exec();
}

void Form_YYYYMM::reject() {
    done(QDialog::Rejected);
}

bool Form_YYYYMM::Form_QueryUnload() {
    const QString month = core::Trim(m_monthField->text());
    const QString year = core::Trim(m_yearField->text());
    switch (checkPeriodInput(month, year)) {
    case PeriodInput::Valid:
        if (core::rewritePeriodLines(m_iniPath, year, month, m_prompt) != 0) return false;
        m_month = month;
        m_year = year;
        setResult(QDialog::Accepted);
        return true;
    case PeriodInput::BadYear:
        m_prompt.message(QStringLiteral("Неправильно введен год отчетного периода !!!"),
                         platform::Icon::Error);
        m_yearField->setFocus();
        m_yearField->selectAll();
        return false;
    case PeriodInput::BadMonth:
        m_prompt.message(QStringLiteral("Неправильно введен месяц отчетного периода !!!"),
                         platform::Icon::Error);
        m_monthField->setFocus();
        m_monthField->selectAll();
        return false;
    case PeriodInput::Leave:
        setResult(QDialog::Rejected);
        return true;
    }
    return false;
}

void Form_YYYYMM::closeEvent(QCloseEvent* event) {
    if (!Form_QueryUnload()) {
        event->ignore();
        return;
    }
    event->accept();
    done(result());
}

void Form_YYYYMM::keyPressEvent(QKeyEvent* event) {
    // Alt-F4 reaches the dialog itself when no window manager takes it.
    if (event->key() == Qt::Key_F4 && (event->modifiers() & Qt::AltModifier)) {
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace mirel::ui
