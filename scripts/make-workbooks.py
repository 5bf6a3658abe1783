#!/usr/bin/python3
"""Writes the workbooks of the demo's Excel import folder and the workbooks the tests read.

Each workbook is described once (sheets of cells) and written as .xls (xlwt), .xlsx (openpyxl)
and .ods (odfpy) alike. Formula cells carry the value an office would have stored with them, so
that readers show what the office showed. Run from anywhere; files are replaced.

    scripts/make-workbooks.py
"""
import datetime
import io
import os
import re
import struct
import zipfile

import openpyxl
import xlwt
from xlwt import BIFFRecords, Cell, CompoundDoc
from odf.opendocument import OpenDocumentSpreadsheet
from odf.table import Table, TableRow, TableCell
from odf.text import P

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEMO = os.path.join(ROOT, 'samples', 'demo')
IMPORT = os.path.join(DEMO, 'Загрузка файлов Excel (КодРегиона_ФФФ_ГГММ.XLS)')
TESTS = os.path.join(ROOT, 'tests', 'data', 'exchange')


class Formula:
    """A formula (written without "=") with the value stored beside it."""

    def __init__(self, text, value):
        self.text, self.value = text, value


# --- writers ---------------------------------------------------------------------------------

def _formula_cell_data(self):
    # xlwt stores no result with a formula; the office does, and readers rely on it.
    value = getattr(self.frmla, 'mirel_value', None)
    result = (struct.unpack('<Q', struct.pack('<d', value))[0] if value is not None
              else 0xFFFF000000000003)
    return BIFFRecords.FormulaRecord(self.rowx, self.colx, self.xf_idx, self.frmla.rpn(),
                                     self.calc_flags).get()[:10] + struct.pack('<Q', result) + \
        BIFFRecords.FormulaRecord(self.rowx, self.colx, self.xf_idx, self.frmla.rpn(),
                                  self.calc_flags).get()[18:]


Cell.FormulaCell.get_biff_data = _formula_cell_data


class CachedFormula(xlwt.Formula):
    """An xlwt formula that remembers the value to store with it."""
DATE_STYLE = xlwt.easyxf(num_format_str='DD.MM.YYYY')
PERCENT_STYLE = xlwt.easyxf(num_format_str='0%')


def cell_name(row, col):
    name = ''
    col += 1
    while col:
        col, rest = divmod(col - 1, 26)
        name = chr(65 + rest) + name
    return '%s%d' % (name, row + 1)


def write_xls(path, sheets, protect=False):
    book = xlwt.Workbook(encoding='cp1251')
    for title, cells in sheets:
        sheet = book.add_sheet(title)
        for (row, col), value in sorted(cells.items()):
            if isinstance(value, Formula):
                formula = CachedFormula(value.text)
                formula.mirel_value = value.value
                sheet.write(row, col, formula)
            elif isinstance(value, datetime.date):
                sheet.write(row, col, value, DATE_STYLE)
            elif isinstance(value, tuple):  # (number, "percent")
                sheet.write(row, col, value[0], PERCENT_STYLE)
            else:
                sheet.write(row, col, value)
    data = book.get_biff_data()
    if protect:
        # A FILEPASS record right after the first BOF: the workbook says it is encrypted.
        length = struct.unpack('<H', data[2:4])[0]
        filepass = struct.pack('<HHHHH', 0x2F, 6, 0, 1, 1)
        data = data[:4 + length] + filepass + data[4 + length:]
    with open(path, 'wb') as f:
        CompoundDoc.XlsDoc().save(f, data)


FIXED = datetime.datetime(2025, 12, 1, 9, 0, 0)


def write_xlsx(path, sheets, chart_sheet=None):
    """chart_sheet, when given, is (worksheet number, column, first row, last row): a chart sheet
    of those cells is put before the worksheets, where Excel puts a chart moved to a sheet of its
    own. Worksheets are numbered without it."""
    from openpyxl.chart import BarChart, Reference
    book = openpyxl.Workbook()
    book.remove(book.active)
    book.properties.created = FIXED
    book.properties.modified = FIXED
    for title, cells in sheets:
        sheet = book.create_sheet(title)
        for (row, col), value in sorted(cells.items()):
            c = sheet.cell(row=row + 1, column=col + 1)
            if isinstance(value, Formula):
                c.value = '=' + value.text
            elif isinstance(value, tuple):
                c.value = value[0]
                c.number_format = '0%'
            else:
                c.value = value
                if isinstance(value, datetime.date):
                    c.number_format = 'DD.MM.YYYY'
    if chart_sheet:
        number, column, first, last = chart_sheet
        chart = BarChart()
        chart.add_data(Reference(book.worksheets[number - 1], min_col=column, min_row=first,
                                 max_row=last))
        book.create_chartsheet('Диаграмма', 0).add_chart(chart)
    buffer = io.BytesIO()
    book.save(buffer)
    # openpyxl stores formulas without their values: put the values in, as the office does.
    parts = {}
    with zipfile.ZipFile(buffer) as z:
        for info in z.infolist():
            parts[info.filename] = z.read(info.filename)
    for index, (title, cells) in enumerate(sheets, 1):
        name = 'xl/worksheets/sheet%d.xml' % index
        xml = parts[name].decode('utf-8')
        for (row, col), value in cells.items():
            if isinstance(value, Formula):
                ref = cell_name(row, col)
                xml = re.sub(r'(<c r="%s"[^>]*><f>[^<]*</f>)<v\s*/?>(</v>)?' % ref,
                             lambda m: m.group(1) + '<v>%r</v>' % value.value, xml)
        parts[name] = xml.encode('utf-8')
    with zipfile.ZipFile(path, 'w', zipfile.ZIP_DEFLATED) as z:
        for name, data in parts.items():
            info = zipfile.ZipInfo(name, date_time=(2025, 12, 1, 9, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, data)


def ods_formula(text):
    return 'of:=' + re.sub(r'([A-Z]+[0-9]+)', r'[.\1]', text).replace(':[', ':[')


def write_ods(path, sheets):
    doc = OpenDocumentSpreadsheet()
    for title, cells in sheets:
        table = Table(name=title)
        rows = max(r for r, _ in cells) + 1 if cells else 0
        for r in range(rows):
            tr = TableRow()
            cols = [c for (rr, c) in cells if rr == r]
            width = max(cols) + 1 if cols else 0
            empty = 0
            for c in range(width):
                value = cells.get((r, c))
                if value is None:
                    empty += 1
                    continue
                if empty:
                    tr.addElement(TableCell(numbercolumnsrepeated=empty))
                    empty = 0
                tr.addElement(ods_cell(value))
            table.addElement(tr)
        # The office writes the rest of the sheet as one repeated empty row.
        table.addElement(TableRow(numberrowsrepeated=1048576 - rows))
        doc.spreadsheet.addElement(table)
    buffer = io.BytesIO()
    doc.write(buffer)
    with open(path, 'wb') as f:
        f.write(buffer.getvalue())


def ods_cell(value):
    if isinstance(value, Formula):
        cell = TableCell(valuetype='float', value=value.value, formula=ods_formula(value.text))
        cell.addElement(P(text=str(value.value).replace('.', ',')))
    elif isinstance(value, tuple):
        cell = TableCell(valuetype='percentage', value=value[0])
        cell.addElement(P(text='%d%%' % round(value[0] * 100)))
    elif isinstance(value, bool):
        cell = TableCell(valuetype='boolean', booleanvalue='true' if value else 'false')
        cell.addElement(P(text='ИСТИНА' if value else 'ЛОЖЬ'))
    elif isinstance(value, datetime.date):
        cell = TableCell(valuetype='date', datevalue=value.isoformat())
        cell.addElement(P(text=value.strftime('%d.%m.%Y')))
    elif isinstance(value, (int, float)):
        cell = TableCell(valuetype='float', value=value)
        cell.addElement(P(text=str(value).replace('.', ',')))
    else:
        cell = TableCell(valuetype='string')
        cell.addElement(P(text=value))
    return cell


def write_all(stem, sheets, formats=('xls', 'xlsx', 'ods')):
    for ext in formats:
        {'xls': write_xls, 'xlsx': write_xlsx, 'ods': write_ods}[ext](stem + '.' + ext, sheets)


# --- the demo ---------------------------------------------------------------------------------

def number(text):
    """A figure of a section file as a number; a mistyped one stays text."""
    try:
        return int(text) if text.lstrip('-').isdigit() else float(text)
    except ValueError:
        return text


def read_section(form, region, section, period='2512'):
    path = os.path.join(DEMO, 'DAT', 'DAT_%s.%s' % (period, form), '%s.%02d' % (region, section))
    rows = []
    with open(path, encoding='cp1251') as f:
        for line in f:
            fields = line.split()
            if fields and fields[0][0].isdigit():
                rows.append([number(v) for v in fields[1:]])
    return rows


def place(cells, top, rows, labels, total_formula=False):
    """A section table from row `top`: label in A, row number in B, values from C. With
    total_formula the first row is the sum of the others, stored as a formula."""
    for i, values in enumerate(rows):
        r = top + i
        cells[(r, 0)] = labels[i] if i < len(labels) else ''
        cells[(r, 1)] = i + 1
        for j, v in enumerate(values):
            if total_formula and i == 0:
                col = cell_name(0, 2 + j)[:-1]
                cells[(r, 2 + j)] = Formula('SUM(%s%d:%s%d)' % (col, top + 2, col, top + len(rows)),
                                            sum(row[j] for row in rows[1:]))
            else:
                cells[(r, 2 + j)] = v


LABELS_410_1 = ['Всего', 'Сельское хозяйство', 'Добыча полезных ископаемых', 'Обрабатывающие производства',
                'Обеспечение электроэнергией, газом и паром', 'Строительство', 'Транспорт',
                'Образование', 'Здравоохранение', 'Прочие']
LABELS_410_2 = ['Всего', 'Несвоевременное получение денег из бюджетов',
                'Отсутствие собственных средств', 'Прочие причины']


def workbook_410(name, s1, s2):
    cells = {(0, 0): 'Сведения о просроченной задолженности по заработной плате',
             (1, 0): name, (2, 0): 'за декабрь 2025 года',
             (4, 0): 'Наименование показателя', (4, 1): '№ строки'}
    for j in range(4):
        cells[(4, 2 + j)] = str(j + 1)
    place(cells, 5, s1, LABELS_410_1, total_formula=True)
    cells[(16, 0)] = 'Раздел 2. Просроченная задолженность по причинам'
    place(cells, 18, s2, LABELS_410_2)
    return [('Задолженность', cells)]


def workbook_210(name, s1, s2, s4):
    cover = {(0, 0): 'Основные показатели социально-экономического положения района',
             (2, 0): name, (3, 0): 'Отчетный период', (3, 1): datetime.date(2025, 12, 31)}
    first = {(0, 0): 'Раздел 1. Промышленное производство'}
    place(first, 4, s1, [])
    first[(30, 0)] = 'Раздел 2. Сельское хозяйство'
    place(first, 31, s2, [])
    fourth = {(0, 0): 'Раздел 4. Торговля и платные услуги населению'}
    place(fourth, 4, s4, [])
    return [('Титульный лист', cover), ('Разделы 1 и 2', first), ('Раздел 4', fourth)]


def settings_block(top, rows, columns):
    """The settings lines of a table placed by place(): values from column C, row `top` + 1."""
    return ['  '.join(cell_name(top + i, 2 + j) for j in range(columns)) for i in range(rows)]


def write_settings(path, lines):
    with open(path, 'w', encoding='cp1251', newline='\r\n') as f:
        f.write('\n'.join(lines) + '\n')


def demo_settings():
    form = os.path.join(DEMO, 'FORM')
    # Form 410: both sections on worksheet 1, one blank line between them.
    write_settings(os.path.join(form, '2025_07.410', '410_CNV.1'),
                   settings_block(5, 10, 4) + [''] + settings_block(18, 4, 3))
    # Form 210: sections 1 and 2 on worksheet 2; worksheet 3 begins with a blank line, an empty
    # block that leaves section 3 out, then section 4.
    write_settings(os.path.join(form, '2024_01.210', '210_CNV.2'),
                   settings_block(4, 25, 6) + [''] + settings_block(31, 20, 5))
    write_settings(os.path.join(form, '2024_01.210', '210_CNV.3'), [''] + settings_block(4, 24, 6))


def demo():
    demo_settings()
    os.makedirs(IMPORT, exist_ok=True)
    for f in os.listdir(IMPORT):
        path = os.path.join(IMPORT, f)
        if os.path.isfile(path):
            os.remove(path)
    staging = os.path.join(IMPORT, '410_2512')
    os.makedirs(staging, exist_ok=True)

    def book410(region, source, name):
        return workbook_410(name, read_section('410', source, 1), read_section('410', source, 2))

    def book210(region, s12, s4, name):
        return workbook_210(name, read_section('210', s12, 1), read_section('210', s12, 2),
                            read_section('210', s4, 4))

    at = lambda name: os.path.join(IMPORT, name)
    write_xls(at('1302_410_2512.xls'), book410('1302', '1301', 'Каменский район'))
    write_xlsx(at('1101_410_2512.xlsx'), book410('1101', '1101', 'Березовский район'))
    write_ods(at('1201_410_2512.ods'), book410('1201', '1201', 'г. Краснополье'))
    # With a chart sheet first, as Gnumeric writes it (LibreOffice cannot).
    sosnovsky = book210('1105', '1104', '1104', 'Сосновский район')
    if not write_xls_with_chart_sheet(at('1105_210_2512.xls'), sosnovsky, (2, 3, 5, 29)):
        write_xls(at('1105_210_2512.xls'), sosnovsky)
    # With a chart sheet first, of the first column of section 1.
    write_xlsx(at('1304_210_2512.xlsx'), book210('1304', '1303', '1303', 'Речной район'),
               chart_sheet=(2, 3, 5, 29))
    write_ods(at('01203_210_2512.ods'), book210('1203', '1203', '1204', 'Луговской район'))
    # The staged report is an empty one (its region's stored figures came later).
    empty = lambda rows: [[0] * len(row) for row in rows]
    write_xls(os.path.join(staging, 'Лесной район.xls'),
              workbook_410('Лесной район', empty(read_section('410', '1103', 1)),
                           empty(read_section('410', '1103', 2))))
    # A form without conversion settings.
    write_xls(at('1101_510_2512.xls'), book410('1101', '1101', 'Березовский район'))
    # One badly named workbook of each kind.
    bad = book410('1102', '1102', 'Верхнекамский район')
    write_xls(at('1102.xls'), bad)
    write_xlsx(at('9999_410_2512.xlsx'), bad)
    write_ods(at('1102_410.ods'), bad)
    write_xls(at('1102_41_2512.xls'), bad)
    write_xlsx(at('1102_410_2511.xlsx'), bad)
    write_ods(at('Отчет_410_2512.ods'), bad)
    with open(at('1102_410_2512.txt'), 'w', encoding='cp1251', newline='\r\n') as f:
        f.write('Отчет выслан в виде книги Excel\n')


# --- the tests' workbooks ------------------------------------------------------------------

def tests():
    os.makedirs(TESTS, exist_ok=True)
    values = {(0, 0): 'Значения', (1, 2): 0.1, (1, 3): 1234567.891, (1, 4): '1 234,5',
              (1, 5): '12.345,6 руб.', (2, 2): '-', (2, 3): 'шт', (2, 5): -42,
              (3, 2): Formula('C2*3', 0.30000000000000004), (3, 3): datetime.date(2005, 6, 5),
              (3, 4): 1e20, (3, 5): (0.15, 'percent'), (4, 2): 42, (4, 3): '  7,25 ',
              (4, 4): Formula('C5+F3', 0.0), (4, 5): -0.000012345}
    second = {(0, 0): 'Лист 2', (9, 1): 5, (9, 2): 6.5, (10, 1): Formula('B10*2', 10),
              (10, 2): 'итого 13,0'}
    write_all(os.path.join(TESTS, 'values'), [('Значения', values), ('Второй', second)])
    # The benchmark's workbook: three worksheets of 20 rows by 10 columns.
    bench = []
    for n in range(3):
        cells = {(0, 0): 'Раздел %d' % (n + 1)}
        place(cells, 4, [[(r + 1) * 100 + c + n + 0.5 for c in range(10)] for r in range(20)], [])
        bench.append(('Раздел %d' % (n + 1), cells))
    write_xls(os.path.join(TESTS, 'bench.xls'), bench)
    # A workbook cut short, one protected by a password, and a text under a workbook's name.
    with open(os.path.join(TESTS, 'values.xls'), 'rb') as f:
        whole = f.read()
    with open(os.path.join(TESTS, 'corrupt.xls'), 'wb') as f:
        f.write(whole[:len(whole) // 3])
    with open(os.path.join(TESTS, 'values.xlsx'), 'rb') as f:
        zipped = f.read()
    with open(os.path.join(TESTS, 'corrupt.xlsx'), 'wb') as f:
        f.write(zipped[:len(zipped) // 2])
    write_xls(os.path.join(TESTS, 'protected.xls'), [('Значения', values)], protect=True)
    with open(os.path.join(TESTS, 'notworkbook.xls'), 'w', encoding='cp1251') as f:
        f.write('Это не книга Excel\r\n')
    # Two worksheets with a chart sheet before them.
    chart_book = [('Первый', {(0, 0): 1.5, (1, 0): 3, (2, 0): 4.5}), ('Второй', {(1, 1): 2.5})]
    write_xlsx(os.path.join(TESTS, 'chartsheet.xlsx'), chart_book, chart_sheet=(1, 1, 1, 3))
    write_xls_with_chart_sheet(os.path.join(TESTS, 'chartsheet.xls'), chart_book,
                               chart_sheet=(1, 1, 1, 3))
    # An encrypted .ods: the manifest says its parts are encrypted.
    with zipfile.ZipFile(os.path.join(TESTS, 'protected.ods'), 'w') as z:
        z.writestr('mimetype', 'application/vnd.oasis.opendocument.spreadsheet')
        z.writestr('META-INF/manifest.xml', '<manifest:manifest><manifest:file-entry>'
                   '<manifest:encryption-data/></manifest:file-entry></manifest:manifest>')
        z.writestr('content.xml', b'\x8a\x11\x00garbage')


def write_xls_with_chart_sheet(path, sheets, chart_sheet):
    """The sheets as an .xls with a chart sheet first (chart_sheet as for write_xlsx), as Gnumeric
    writes it: LibreOffice writes no chart sheets to .xls, only worksheets holding a chart. So the
    workbook goes as .xlsx through LibreOffice, which makes its chart sheet such a worksheet, and
    Gnumeric is then told that sheet is a chart sheet. Needs soffice and ssconvert (Debian's
    libreoffice-calc-nogui and gnumeric); without them nothing is written and False returned."""
    import shutil
    import subprocess
    import tempfile
    if not (shutil.which('soffice') and shutil.which('ssconvert')):
        print('soffice or ssconvert missing: %s written without a chart sheet or not at all' % path)
        return False
    with tempfile.TemporaryDirectory() as tmp:
        source = os.path.join(tmp, 'book.xlsx')
        write_xlsx(source, sheets, chart_sheet=chart_sheet)
        subprocess.run(['soffice', '--headless', '--convert-to', 'xls', '--outdir', tmp, source],
                       check=True, capture_output=True)
        native = os.path.join(tmp, 'book.gnumeric')
        subprocess.run(['ssconvert', '-T', 'Gnumeric_XmlIO:sax:0', os.path.join(tmp, 'book.xls'),
                        native], check=True, capture_output=True)
        with open(native, encoding='utf-8') as f:
            xml = f.read()
        xml = xml.replace('<gnm:SheetName ', '<gnm:SheetName gnm:SheetType="object" ', 1)
        with open(native, 'w', encoding='utf-8') as f:
            f.write(xml)
        subprocess.run(['ssconvert', native, path], check=True, capture_output=True)
    return True


if __name__ == '__main__':
    demo()
    tests()
