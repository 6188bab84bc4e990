"""The three generators through the real program with piped answers: the
console from the section title to the closing notice, and whole report files
byte for byte."""

import pytest

from harness import dialogue, run_piped

WEB_LINK = "http://www.example.com"
LINK_PROGRAM_NAME = "www.example.com.exe"
INFORMATION_PAGE = "https://www.sumwright.example.com/info.htm"
ANY_KEY = "<Any key> to continue and end"

def frame_head(heading, description, creator):
    """Report lines 1 to 31."""
    return [
        "<html>",
        "<head>",
        '<meta http-equiv="Content-Type" content="text/html">',
        "<title>SUMWRIGHT</title>",
        "</head>",
        "<body>",
        '<p style="font-size:110%" >',
        "<br> <b> PROMOTE YOUR BRAND WITH OUR PROGRAM </b>",
        "<br>",
        "<br> This space is reserved for your advertising message and web links.",
        "<br> The advertising message is limited to 10 lines or 500 characters.",
        "<br> The program is tailored individually for each client.",
        "<br>",
        f'<br> More info: <a href="{INFORMATION_PAGE}">{INFORMATION_PAGE}</a>',
        "<br>",
        "</p>",
        "<br>",
        '<p style="font-size:100%" >',
        heading,
        "<br>",
        description,
        "<br>",
        "<br>",
        creator,
        "<br>",
        "<br>",
        f"Useful link added by the program {LINK_PROGRAM_NAME}:",
        "<br>",
        f'<a href="{WEB_LINK}">{WEB_LINK}</a>',
        "</p>",
        "<br>",
    ]


SUBTOTAL_CREATOR = "This document was created using sumwright_free.exe program."
SUMIF_DESCRIPTION = "Program for creating sumif() formulas in MS Excel compatible tables."
SUMIF_CREATOR = "This document was created using the sumwright_free.exe program."

FRAME_HEADS = {
    "subtotal": frame_head("<b> SUMWRIGHT SUBTOTAL </b>",
                           "Program for creating multi-level subtotal() formulas in MS Excel compatible tables.",
                           SUBTOTAL_CREATOR),
    "sumif_01": frame_head("<b> SUMWRIGHT SUMIF_01 </b>", SUMIF_DESCRIPTION, SUMIF_CREATOR),
    "sumif_02": frame_head("<b> SUMWRIGHT SUMIF_02 </b>", SUMIF_DESCRIPTION, SUMIF_CREATOR),
}


def report_bytes(head, body):
    return "".join(line + "\r\n" for line in [*head, *body, "</body>", "</html>"]).encode("latin-1")


RULE = "-" * 20
BY_TABLE_END = "Then copy formula from these cell by the end of the table."
UNTIL_ERROR = "Then copy formula from these cell to the next cells in column until formula dos not indicate an error."


def step_head(number, break_on_step_line=False):
    if break_on_step_line:
        return ["<br>", RULE, "<br>", f"step = {number}<br>"]
    return ["<br>", RULE, "<br>", f"step = {number}", "<br>"]


# --- multilevel subtotal, worked example 2 ----------------------------------


def subtotal_sum(marker):
    return (f'=IF({marker}4<>"";SUM(INDIRECT("G"&TEXT((MAX({marker}$4:INDIRECT("{marker}"&TEXT(ROW()-1;"#")))'
            f'+IF(ROW()>4;1;0));"#")):INDIRECT("G"&TEXT(ROW();"#")));"")')


SUBTOTAL_STEPS = [
    ("J4", '=IF(B4<>B5;ROW();"")'),
    ("K4", '=IF(OR(C4<>C5;J4<>"");ROW();"")'),
    ("L4", '=IF(OR(D4<>D5;J4<>"";K4<>"");ROW();"")'),
    ("M4", '=IF(J4<>"";T("SUBTOTAL_01(B="&B4&", G)=");"")'),
    ("N4", subtotal_sum("J")),
    ("O4", '=IF(K4<>"";T("SUBTOTAL_02(B="&B4&", C="&C4&", G)=");"")'),
    ("P4", subtotal_sum("K")),
    ("Q4", '=IF(L4<>"";T("SUBTOTAL_03(B="&B4&", C="&C4&", D="&D4&", G)=");"")'),
    ("R4", subtotal_sum("L")),
]


def subtotal_body():
    lines = [
        "<b>Before using formulas, table must be sort on group of columns.</b>",
        "<br>",
        "Column name                  for start sort = B",
        "<br>",
        "The number of columns in the group for sort =  3",
        "<br>",
        "Columns must be arranged in a compact group.",
        "<br>",
        "<br>",
        "Column name with data (subtotal)    = G",
        "<br>",
        "Row number (start) with data cell   =  4",
        "<br>",
        "Column name with start of free area = J",
        "<br>",
    ]
    for number, (target, formula) in enumerate(SUBTOTAL_STEPS, start=1):
        lines += step_head(number, break_on_step_line=number <= 3)
        lines += [formula, "<br>", f"Copy formula in cell {target}.", "<br>", BY_TABLE_END, "<br>"]
        if number > 3 and number % 2 == 1:
            lines.append("<br>")
    return lines + ["<br>", "<br>"]


# --- sumif() variant 01, worked example 1 -----------------------------------

SUMIF_01_STEPS = [
    ("F2", "=SUMIF(B:B;B2;D:D)"),
    ("G2", "=COUNTIF(B$2:B2;B2)"),
    ("H2", '=IF(AND(G2=1;F2<>0);F2;"")'),
    ("I2", "=COUNT(H$2:H2)"),
    ("J2", "=B2"),
    ("K2", "=H2"),
    ("L", "=ROW()-COUNT(I:I)-(2-1)"),
    ("M", '=IF(VLOOKUP((ROW()-COUNT(I:I)-(2-1));I:K;2;FALSE())<>"";'
          '"SUMIF(B="&VLOOKUP((ROW()-COUNT(I:I)-(2-1));I:K;2;FALSE())&";"&"D"&")=";"")'),
    ("N", "=VLOOKUP((ROW()-COUNT(I:I)-(2-1));I:K;3;FALSE())"),
]


def sumif_01_body():
    lines = [
        "<b>Introduction</b>", "<br>",
        "Column name for creating group = B", "<br>",
        "Column name with data = D", "<br>",
        "Row number start with data cell =  2", "<br>",
        "Column name start with free area = F", "<br>",
    ]
    for number, (target, formula) in enumerate(SUMIF_01_STEPS, start=1):
        lines += step_head(number) + [formula, "<br>"]
        if number <= 6:
            lines += [f"Copy formula in cell {target}.", "<br>", BY_TABLE_END, "<br>"]
        else:
            lines += [f"Copy formula in cell <b> {target} </b> at the end of table + 1 row.", "<br>", UNTIL_ERROR,
                      "<br>"]
    return lines + ["<br>", "<br>"]


# --- sumif() variant 02, worked example 1 -----------------------------------


def lookup_address(offset, reach, column):
    return (f"=VLOOKUP(INDIRECT(ADDRESS(ROW();COLUMN()-{offset};4));(INDIRECT(ADDRESS(ROW()+1;COLUMN()-{offset};4)))"
            f":(INDIRECT(ADDRESS(ROW() + MAX(I:I);COLUMN(){reach});4));{column})")


LIST_LOOKUP = "VLOOKUP((ROW()-COUNT(I:I)-(2));I:K;2;FALSE())"

SUMIF_02_STEPS = [
    ("F2", "=SUMIF(B:B;B2;D:D)"),
    ("G2", "=COUNTIF(B$2:B2;B2)"),
    ("H2", '=IF(G2=1;F2;"")'),
    ("I2", "=COUNT(H$2:H2)"),
    ("J2", "=B2"),
    ("K2", "=H2"),
    # The report protects this "&" from being read as a character reference
    # ("&J2;"); a browser shows the formula as written.
    ("M2", '=IF(INDIRECT("$M$"&TEXT((COUNT(I:I;">0") + 2);"#"))=J2;"<<<  "&amp;J2;"")'),
    ("N2", '=IF(INDIRECT("$M$"&TEXT((COUNT(I:I;">0") + 2);"#"))=J2;"SUM =";"")'),
    ("O2", '=IF(M2<>"";SUMIF(B$2:B2;B2;D$2:D2);"")'),
    ("K", '="INPUT(1 - "&TEXT(MAX(I:I);"#")&")="'),
    ("M", lookup_address(1, "+2", 2)),
    ("N", lookup_address(2, "+1", 3)),
    ("O", lookup_address(3, "", 4)),
    ("L", "=ROW()-COUNT(I:I)-(2)"),
    ("M", f'=IF({LIST_LOOKUP}<>"";{LIST_LOOKUP};"")'),
    ("N", f'=IF({LIST_LOOKUP}<>"";"SUMIF(B="&{LIST_LOOKUP}&";"&"D"&")=";"")'),
    ("O", "=VLOOKUP((ROW()-COUNT(I:I)-(2));I:K;3;FALSE())"),
]


def sumif_02_body():
    lines = [
        "<b>Introduction</b>", "<br>",
        "Column name for creating group    = B", "<br>",
        "Column name      with data        = D", "<br>",
        "Row number start with data cell   =  2", "<br>",
        "Column name start with free area  = F", "<br>",
    ]
    for number, (target, formula) in enumerate(SUMIF_02_STEPS, start=1):
        lines += step_head(number) + [formula, "<br>"]
        if number <= 9:
            lines += [f"Copy formula in cell <b> {target} </b> .", "<br>", BY_TABLE_END, "<br>"]
        elif number <= 13:
            lines += [f"Copy formula in cell <b> {target} </b> at the end of table + 1 row.", "<br>"]
        elif number == 14:
            lines += [f"Copy formula in column <b> {target} </b> at the end of table + 2 rows.", "<br>", UNTIL_ERROR,
                      "<br>"]
        else:
            lines += [f"Copy formula in column <b> {target} </b> at the end of the table + 2 rows.", "<br>",
                      UNTIL_ERROR, "<br>"]
        if number == 10:
            lines += ["<br>", RULE, "<br>", "<br>", "<b> Skip column L.</b>", "<br>"]
    return lines + ["<br>", "<br>"]


# --- the runs ---------------------------------------------------------------

CLOSING_30 = ["", "-" * 30]
CLOSING_31 = ["", "-" * 31]

# Console of worked example 1 from the report opening to the closing notice.
# Piped input shows neither prompt nor answer, so each prompt line is empty.
CONSOLE = {
    "subtotal": [
        "",
        "----- selecting cells for multilevel sum -----",
        "Output file = swr_subtotal.htm",
        "",
        "Before using formulas, table must be sort on group of columns.",
        "",
        "",  # Column name         for start sort  = ? A
        "",  # Numeber columns in group  for sort  = ? 2
        "Columns must be arranged in a compact group.",
        "",
        "",  # Column name with data (subtotal)    = ? D
        "Row number (start) with data must be row() > 1",
        "",  # Row number (start) with data cell   = ? 2
        "",
        "",  # Column name with start of free area = ? F
        "",
        *CLOSING_30,
        "Output file = swr_subtotal.htm",
        "",
    ],
    "sumif_01": [
        "",
        "----- selecting cells for sumif()_01 -----",
        "Output file = swr_sumif_01.htm",
        "",
        "",  # Column name for creating groups = ? B
        "",
        "",  # Column name with data (sum) = ? D
        "",
        "Row number (start) with data must be row() > 1",
        "",  # Row number (start) with data cell = ? 2
        "",
        "",  # Column name (start) with free area = ? F
        *CLOSING_31,
        "Output files = swr_sumif_01.htm",
        "",
    ],
    "sumif_02": [
        "",
        "----- selecting cells for sumif()_02 -----",
        "Output files = swr_sumif_02.htm",
        "",
        "",  # Column name for creating groups = ? B
        "",
        "",  # Column name with data (sum) = ? D
        "",
        "The grouping column and summation column must only have data that pairs from the combinationa that we "
        "expect.",
        "",
        "Row number (start) with data must be row() > 1",
        "",  # Row number (start) with data cell   = ? 2
        "",
        "",  # Column name (start) with free area = ? F
        *CLOSING_31,
        "Output files = swr_sumif_02.htm",
        "",
    ],
}

EXAMPLE_1_ANSWERS = {
    "subtotal": ("1", ["A", "2", "D", "2", "F"]),
    "sumif_01": ("2", ["B", "D", "2", "F"]),
    "sumif_02": ("3", ["B", "D", "2", "F"]),
}


def console_from_section_title(run, title):
    """The console from the empty line before the section title on; the lines
    of the tool checks before it are not looked at."""
    lines = run.console_lines()
    return lines[lines.index(title) - 1:]


@pytest.mark.parametrize("generator", ["subtotal", "sumif_01", "sumif_02"])
def test_console_of_worked_example_1(tmp_path, generator):
    menu_key, answers = EXAMPLE_1_ANSWERS[generator]
    run = run_piped(tmp_path, dialogue(menu_key, answers))
    assert run.status == 0, run.errors
    expected = CONSOLE[generator]
    seen = console_from_section_title(run, expected[1])
    assert seen[:len(expected)] == expected
    assert seen[len(expected)] == ANY_KEY


@pytest.mark.parametrize(
    "menu_key, answers, report, head, body, line_count",
    [
        pytest.param("1", ["b", "3", "g", "4", "j"], "swr_subtotal.htm", FRAME_HEADS["subtotal"],
                     subtotal_body(), 149, id="subtotal example 2"),
        pytest.param("2", ["B", "D", "2", "F"], "swr_sumif_01.htm",
                     FRAME_HEADS["sumif_01"], sumif_01_body(),
                     31 + 111 + 2, id="sumif_01 example 1"),
        pytest.param("3", ["B", "D", "2", "F"], "swr_sumif_02.htm",
                     FRAME_HEADS["sumif_02"], sumif_02_body(),
                     31 + 197 + 2, id="sumif_02 example 1"),
    ],
)
def test_whole_report_file(tmp_path, menu_key, answers, report, head, body, line_count):
    run = run_piped(tmp_path, dialogue(menu_key, answers))
    assert run.status == 0, run.errors
    expected = report_bytes(head, body)
    assert expected.count(b"\r\n") == line_count
    actual = run.report(report)
    if actual != expected:
        # Line by line first, for a readable difference.
        assert run.report_lines(report) == expected.decode("latin-1")[:-2].split("\r\n")
    assert actual == expected
