#!/usr/bin/env python3
"""Writes differential.txt: statements over a fixed schema with the answers
the server's documented rules give, worked out here independently of the
engine (decimal rounding half away from zero, blank-padded CHAR, byte
lengths in CP932, date arithmetic in days, ROWNUM numbered as rows are
accepted, NULLs last ascending, text compared with a number as a number).

Lines: "X\tsql" must succeed; "Q\tsql\texpected" (rows joined by "|",
values by ",", NULL "-", or the ORA- code of the failure)."""
import datetime
import itertools
from decimal import Decimal, ROUND_HALF_UP, ROUND_DOWN, getcontext, localcontext

out = []


def x(sql):
    out.append("X\t" + sql)


def q(sql, expected):
    out.append("Q\t" + sql + "\t" + expected)


def num(d):
    d = Decimal(d)
    if d == d.to_integral_value():
        return str(int(d))
    text = format(d.normalize(), "f")
    if text.startswith("0."):
        text = text[1:]
    elif text.startswith("-0."):
        text = "-" + text[2:]
    return text


def round_to(value, scale, mode=ROUND_HALF_UP):
    if scale >= 0:
        return value.quantize(Decimal(1).scaleb(-scale), rounding=mode)
    unit = Decimal(10) ** (-scale)
    return (value / unit).quantize(Decimal(1), rounding=mode) * unit


# 1. NUMBER(p, s) at storage
number_types = [(5, 2), (4, 0), (3, -1), (6, 3), (2, 2), (7, 1)]
values = ["0", "1", "-1", "1.005", "2.675", "-2.675", "999.994", "999.995", "12345", "99999", ".125",
          "123.456", "0.0049", "5", "15", "994", "995", "-995", "9999.5", "0.995", "0.994", "45.55",
          "'12.5'", "'abc'", "' 7 '"]
for index, (p, s) in enumerate(number_types):
    table = "TN%d" % index
    x("CREATE TABLE %s (C NUMBER(%d,%d))" % (table, p, s))
    for value in values:
        literal = value.strip("'").strip()
        try:
            d = Decimal(literal)
        except Exception:
            q("INSERT INTO %s VALUES (%s)" % (table, value), "ORA-01722")
            continue
        r = round_to(d, s)
        digits = len(str(abs(int(r)))) if abs(r) >= 1 else 0
        if digits > p - s:
            q("INSERT INTO %s VALUES (%s)" % (table, value), "ORA-01438")
        else:
            q("INSERT INTO %s VALUES (%s)" % (table, value), "")
            q("SELECT C FROM %s" % table, num(r))
            q("DELETE FROM %s" % table, "")

# 2. VARCHAR2 / CHAR lengths, byte and character semantics
text_types = [("VARCHAR2(3)", 3, False, False), ("VARCHAR2(4)", 4, False, False), ("CHAR(4)", 4, False, True),
              ("VARCHAR2(2 CHAR)", 2, True, False), ("CHAR(3 CHAR)", 3, True, True), ("CHAR(6)", 6, False, True)]
texts = ["a", "ab", "abc", "abcd", "abcdef", "日本", "日本語", "ｶﾅ", "ｶﾀｶﾅ", "a日", "x y", "日"]
for index, (declared, n, chars, pad) in enumerate(text_types):
    table = "TT%d" % index
    x("CREATE TABLE %s (C %s)" % (table, declared))
    for text in texts:
        length = len(text) if chars else len(text.encode("cp932"))
        insert = "INSERT INTO %s VALUES ('%s')" % (table, text)
        if length > n:
            q(insert, "ORA-12899")
            continue
        stored = text + " " * (n - length) if pad else text
        q(insert, "")
        q("SELECT C || '|', LENGTH(C), LENGTHB(C) FROM %s" % table,
          "%s|,%d,%d" % (stored, len(stored), len(stored.encode("cp932"))))
        q("DELETE FROM %s" % table, "")

# 3. NULL order
x("CREATE TABLE NO_ (X NUMBER)")
for v in ["3", "NULL", "1", "2"]:
    x("INSERT INTO NO_ VALUES (%s)" % v)
for direction, nulls in itertools.product(["", " ASC", " DESC"], ["", " NULLS FIRST", " NULLS LAST"]):
    present = [1, 2, 3]
    present.sort(reverse=direction == " DESC")
    first = nulls == " NULLS FIRST" or (nulls == "" and direction == " DESC")
    rows = (["-"] if first else []) + [str(v) for v in present] + ([] if first else ["-"])
    q("SELECT X FROM NO_ ORDER BY X%s%s" % (direction, nulls), "|".join(rows))

# 4. ROWNUM numbered as rows are accepted
x("CREATE TABLE RN (X NUMBER)")
for v in range(1, 7):
    x("INSERT INTO RN VALUES (%d)" % v)
ops = {"<": lambda a, b: a < b, "<=": lambda a, b: a <= b, "=": lambda a, b: a == b, ">": lambda a, b: a > b,
       ">=": lambda a, b: a >= b}
for op, n, k in itertools.product(ops, range(0, 5), [0, 2]):
    accepted = []
    for v in range(1, 7):
        if v > k and ops[op](len(accepted) + 1, n):
            accepted.append(v)
    where = "ROWNUM %s %d" % (op, n) + (" AND X > %d" % k if k else "")
    q("SELECT X FROM RN WHERE %s" % where, "|".join(str(v) for v in accepted))
    q("SELECT COUNT(*) FROM RN WHERE %s" % where, str(len(accepted)))

# 5. Dates: arithmetic in days, ADD_MONTHS, TRUNC, differences
dates = [datetime.datetime(2024, 1, 31, 10, 30), datetime.datetime(2023, 2, 28, 0, 0),
         datetime.datetime(2024, 2, 29, 23, 59, 59), datetime.datetime(1999, 12, 31, 12, 0),
         datetime.datetime(2000, 3, 1, 6, 0)]
offsets = ["0", "1", "-1", "0.5", "1.25", "30", "365", "-366", "0.75"]


def lit(d):
    return "TO_DATE('%s', 'YYYY-MM-DD HH24:MI:SS')" % d.strftime("%Y-%m-%d %H:%M:%S")


def shown(d):
    return d.strftime("%Y-%m-%d %H:%M:%S")


def last_day(y, m):
    nxt = datetime.date(y + (m == 12), m % 12 + 1, 1)
    return (nxt - datetime.timedelta(days=1)).day


for d, n in itertools.product(dates, offsets):
    seconds = round(Decimal(n) * 86400)
    q("SELECT TO_CHAR(%s + %s, 'YYYY-MM-DD HH24:MI:SS') FROM DUAL" % (lit(d), n),
      shown(d + datetime.timedelta(seconds=int(seconds))))
for d, months in itertools.product(dates, [1, -1, 12, 13, -25]):
    total = d.year * 12 + (d.month - 1) + months
    y, m = divmod(total, 12)
    m += 1
    day = last_day(y, m) if d.day == last_day(d.year, d.month) else min(d.day, last_day(y, m))
    q("SELECT TO_CHAR(ADD_MONTHS(%s, %d), 'YYYY-MM-DD HH24:MI:SS') FROM DUAL" % (lit(d), months),
      shown(d.replace(year=y, month=m, day=day)))
for d in dates:
    q("SELECT TO_CHAR(TRUNC(%s), 'YYYY-MM-DD HH24:MI:SS') FROM DUAL" % lit(d),
      shown(d.replace(hour=0, minute=0, second=0)))
for a, b in itertools.combinations(dates, 2):
    diff = Decimal((a - b).total_seconds()) / Decimal(86400)
    q("SELECT ROUND(%s - %s, 6) FROM DUAL" % (lit(a), lit(b)), num(round_to(diff, 6)))

# 6. Text compared with a number is read as a number
x("CREATE TABLE TV (S VARCHAR2(5))")
strings = ["10", "9", "100", "8", "007"]
for v in strings:
    x("INSERT INTO TV VALUES ('%s')" % v)
for op, n in itertools.product(ops, [0, 7, 8, 9, 10, 99, 100]):
    q("SELECT COUNT(*) FROM TV WHERE S %s %d" % (op, n), str(sum(1 for s in strings if ops[op](int(s), n))))
for op, t in itertools.product(ops, ["9", "10", "08"]):
    q("SELECT COUNT(*) FROM TV WHERE S %s '%s'" % (op, t), str(sum(1 for s in strings if ops[op](s, t))))

# 7. ROUND, TRUNC, MOD of numbers
for v, d in itertools.product(["2.5", "-2.5", "1.45", "-1.45", "123.456", "0.5", "1555", "-0.05"], [0, 1, -1, 2]):
    value = Decimal(v)
    q("SELECT ROUND(%s, %d), TRUNC(%s, %d) FROM DUAL" % (v, d, v, d),
      "%s,%s" % (num(round_to(value, d)), num(round_to(value, d, ROUND_DOWN))))
for a, b in itertools.product([7, -7, 10, 0], [3, -3, 0]):
    expected = a if b == 0 else a - b * int(a / b)  # the sign of the dividend
    q("SELECT MOD(%d, %d) FROM DUAL" % (a, b), str(expected))

# 8. NULL-aware functions
for a, b in itertools.product(["NULL", "1"], ["NULL", "2"]):
    av = None if a == "NULL" else a
    bv = None if b == "NULL" else b
    q("SELECT NVL(%s, %s), NVL2(%s, 'y', 'n'), COALESCE(%s, %s, 9), DECODE(%s, NULL, 'null', 'set') FROM DUAL"
      % (a, b, a, a, b, a),
      ",".join([av or bv or "-", "y" if av else "n", av or bv or "9", "set" if av else "null"]))

# 9. Set operations
x("CREATE TABLE SA (X NUMBER)")
x("CREATE TABLE SB (X NUMBER)")
a_rows, b_rows = [1, 2, 2, 3, 4], [2, 4, 5]
for v in a_rows:
    x("INSERT INTO SA VALUES (%d)" % v)
for v in b_rows:
    x("INSERT INTO SB VALUES (%d)" % v)
sets = {"UNION": sorted(set(a_rows) | set(b_rows)), "MINUS": sorted(set(a_rows) - set(b_rows)),
        "INTERSECT": sorted(set(a_rows) & set(b_rows)), "UNION ALL": sorted(a_rows + b_rows)}
for op, rows in sets.items():
    q("SELECT X FROM SA %s SELECT X FROM SB ORDER BY 1" % op, "|".join(str(v) for v in rows))

# 10. NUMBER arithmetic is exact decimal: a result keeps 40 significant
# digits when its leading digit fills a base-100 digit pair with another
# (its position 10^e with e odd), else 39, rounded half away from zero.
getcontext().prec = 200


def server(d):
    d = Decimal(d)
    if d == 0:
        return Decimal(0)
    keep = 40 if d.adjusted() % 2 != 0 else 39
    return d.quantize(Decimal(1).scaleb(d.adjusted() - keep + 1), rounding=ROUND_HALF_UP)


def exact(a, op, b):
    a, b = Decimal(a), Decimal(b)
    with localcontext() as c:
        c.prec = 200
        return {"+": a + b, "-": a - b, "*": a * b, "/": a / b}[op]


x("CREATE TABLE OL (ID NUMBER(6), QUANTITY NUMBER(8), UNIT_PRICE NUMBER(8,2))")
lines = [(k, 1 + (k * 37) % 23, Decimal((k * 7919) % 100000) / 100) for k in range(1, 400)]
for k, quantity, price in lines:
    x("INSERT INTO OL VALUES (%d, %d, %s)" % (k, quantity, price))
total = sum(Decimal(quantity) * price for _, quantity, price in lines)
q("SELECT SUM(QUANTITY * UNIT_PRICE) FROM OL", num(server(total)))
q("SELECT SUM(UNIT_PRICE) FROM OL", num(server(sum(price for _, _, price in lines))))
with localcontext() as c:
    c.prec = 200
    average = sum(price for _, _, price in lines) / len(lines)
q("SELECT AVG(UNIT_PRICE) FROM OL", num(server(average)))
cheap = sorted(lines, key=lambda line: (Decimal(line[2]) / line[1], line[0]))[:3]
q("SELECT ID FROM OL ORDER BY UNIT_PRICE / QUANTITY, ID FETCH FIRST 3 ROWS ONLY",
  "|".join(str(line[0]) for line in cheap))
for a, op, b in [("2", "/", "3"), ("10", "/", "3"), ("1", "/", "3"), ("-1", "/", "7"), ("100", "/", "7"),
                 ("0.1", "+", "0.2"), ("1.1", "*", "1.1"), ("123456789.123", "*", "987654321.987"),
                 ("99999999999999999999", "+", "1"), ("0.000001", "/", "3"), ("1", "-", "0.9999999999999999"),
                 ("12345678901234567890123", "*", "1000000000000000000000")]:
    q("SELECT %s %s %s FROM DUAL" % (a, op, b), num(server(exact(a, op, b))))
q("SELECT 1/3*3 FROM DUAL", num(server(server(exact("1", "/", "3")) * 3)))
for v, d in [("2.675", 2), ("1234567890.123456789012345", 10), ("-0.00000000000000000055", 20)]:
    q("SELECT ROUND(%s, %d), TRUNC(%s, %d) FROM DUAL" % (v, d, v, d),
      "%s,%s" % (num(round_to(Decimal(v), d)), num(round_to(Decimal(v), d, ROUND_DOWN))))
for a, b in [("10.5", "3"), ("-10.5", "3"), ("7.25", "-0.5"), ("12345678901234567890.5", "7")]:
    expected = Decimal(a) - Decimal(b) * int(Decimal(a) / Decimal(b))
    q("SELECT MOD(%s, %s) FROM DUAL" % (a, b), num(expected))
for base, power in [("2", 64), ("1.5", 3), ("2", -2), ("10", 30), ("0.1", 5)]:
    with localcontext() as c:
        c.prec = 200
        value = Decimal(base) ** power
    q("SELECT POWER(%s, %d) FROM DUAL" % (base, power), num(server(value)))
for a, op, b in [("2/3", ">", "0.6666666666666666666666666666666666666666"), ("2/3", "=", "4/6"),
                  ("1/3", "<", "0.33333333333333333333333333333333333333334")]:
    left, right = (server(exact(*t.split("/")[0:1], "/", t.split("/")[1])) if "/" in t else Decimal(t)
                   for t in (a, b))
    holds = {">": left > right, "=": left == right, "<": left < right}[op]
    q("SELECT COUNT(*) FROM DUAL WHERE %s %s %s" % (a, op, b), "1" if holds else "0")
q("SELECT TO_NUMBER('123456789012345678901234567890.125') + 0 FROM DUAL", "123456789012345678901234567890.125")

# 11. q'x...x' and N'...' literals: the text between the delimiters, as typed.
closers = {"[": "]", "{": "}", "(": ")", "<": ">"}
for opener, text in [("[", "it's"), ("{", "a}b"), ("(", "(x)"), ("<", "a'b'c"), ("!", "don't"), ("#", "x y")]:
    literal = "q'%s%s%s'" % (opener, text, closers.get(opener, opener))
    q("SELECT %s, LENGTH(%s) FROM DUAL" % (literal, literal), "%s,%d" % (text, len(text)))
q("SELECT COUNT(*) FROM DUAL WHERE N'ab' = 'ab' AND Nq'[c]' = 'c'", "1")

# 12. Month and day names in the session's NLS_DATE_LANGUAGE (JAPANESE by
# default: "7月", "月曜日"); MM also reads a month's name or abbreviation,
# MON its full name, MONTH its abbreviation; RR of 2 digits picks the
# century nearest to the current one; FF reads the fraction of a second.
english_months = ["JANUARY", "FEBRUARY", "MARCH", "APRIL", "MAY", "JUNE", "JULY", "AUGUST", "SEPTEMBER",
                  "OCTOBER", "NOVEMBER", "DECEMBER"]
english_days = ["MONDAY", "TUESDAY", "WEDNESDAY", "THURSDAY", "FRIDAY", "SATURDAY", "SUNDAY"]
japanese_days = ["月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日", "日曜日"]
samples = [datetime.date(1987, 7, 13), datetime.date(2021, 2, 4), datetime.date(2000, 12, 31),
           datetime.date(2024, 2, 29)]


def rr(two):
    return (2000 if two < 50 else 1900) + two


for d in samples:
    q("SELECT TO_CHAR(DATE '%s', 'fmDAY MONTH DY MON') FROM DUAL" % d.isoformat(),
      "%s %d月 %s %d月" % (japanese_days[d.weekday()], d.month, japanese_days[d.weekday()][0], d.month))
x("ALTER SESSION SET NLS_DATE_LANGUAGE = AMERICAN")
for d in samples:
    month = english_months[d.month - 1]
    for text, fmt in [("%02d-%s-%02d" % (d.day, month[:3], d.year % 100), "dd-mm-rr"),
                      ("%02d-%s-%04d" % (d.day, month.capitalize(), d.year), "DD-MON-YYYY"),
                      ("%02d-%s-%02d" % (d.day, month[:3].lower(), d.year % 100), "DD-MONTH-RR")]:
        year = d.year if fmt.endswith("YYYY") else rr(d.year % 100)
        q("SELECT TO_CHAR(TO_DATE('%s', '%s'), 'YYYY-MM-DD') FROM DUAL" % (text, fmt),
          "%04d-%02d-%02d" % (year, d.month, d.day))
    q("SELECT TO_CHAR(DATE '%s', 'fmDay, DD Month YYYY') FROM DUAL" % d.isoformat(),
      "%s, %d %s %d" % (english_days[d.weekday()].capitalize(), d.day, month.capitalize(), d.year))
q("SELECT TO_CHAR(TO_TIMESTAMP('04-FEB-2021 13.20.22.245676861', 'DD-MON-YYYY HH24.MI.SS.FF'), "
  "'YYYY-MM-DD HH24:MI:SS.FF3') FROM DUAL", "2021-02-04 13:20:22.245")
q("SELECT TO_DATE('13-7月-87', 'DD-MON-RR') FROM DUAL", "ORA-01843")
x("ALTER SESSION SET NLS_DATE_LANGUAGE = JAPANESE")
q("SELECT TO_DATE('13-JUL-87', 'DD-MM-RR') FROM DUAL", "ORA-01843")
q("SELECT TO_CHAR(TO_DATE('13-7月-87', 'DD-MON-RR'), 'YYYY-MM-DD') FROM DUAL", "1987-07-13")

# 13. CONNECT BY: rows depth first from the START WITH rows, each child
# after its parent; LEVEL counts from 1; WHERE filters the rows afterwards;
# a row met again below itself is a loop (ORA-01436), skipped with NOCYCLE;
# siblings come in the order their rows were stored.
tree = {1: ("KING", None), 2: ("JONES", 1), 3: ("SCOTT", 2), 4: ("BLAKE", 1), 5: ("ADAMS", 3), 6: ("FORD", 2),
        7: ("SMITH", 6)}
x("CREATE TABLE HE (ID NUMBER, NAME VARCHAR2(10), MGR NUMBER)")
for key, (name, mgr) in tree.items():
    x("INSERT INTO HE VALUES (%d, '%s', %s)" % (key, name, "NULL" if mgr is None else mgr))


def walk(roots, level=1):
    rows = []
    for root in roots:
        rows.append((root, level))
        rows += walk([k for k in sorted(tree) if tree[k][1] == root], level + 1)
    return rows


rows = walk([k for k in sorted(tree) if tree[k][1] is None])
q("SELECT NAME, LEVEL FROM HE START WITH MGR IS NULL CONNECT BY PRIOR ID = MGR",
  "|".join("%s,%d" % (tree[k][0], level) for k, level in rows))
q("SELECT COUNT(*) FROM HE WHERE LEVEL = 3 START WITH ID = 1 CONNECT BY MGR = PRIOR ID",
  str(sum(1 for _, level in rows if level == 3)))
up, node = [], 7
while node is not None:
    up.append(tree[node][0])
    node = tree[node][1]
q("SELECT NAME FROM HE START WITH ID = 7 CONNECT BY ID = PRIOR MGR", "|".join(up))
q("SELECT LEVEL FROM DUAL CONNECT BY LEVEL <= 5", "|".join(str(n) for n in range(1, 6)))


def paths(roots, prefix=""):
    out = []
    for root in roots:
        path = prefix + "/" + tree[root][0]
        out.append((root, path))
        out += paths([k for k in sorted(tree) if tree[k][1] == root], path)
    return out


q("SELECT CONNECT_BY_ROOT NAME, SYS_CONNECT_BY_PATH(NAME, '/') FROM HE START WITH MGR = 1 CONNECT BY PRIOR ID = MGR",
  "|".join("%s,%s" % (path.split("/")[1], path) for _, path in paths([k for k in sorted(tree) if tree[k][1] == 1])))
x("UPDATE HE SET MGR = 7 WHERE ID = 1")
q("SELECT COUNT(*) FROM HE START WITH ID = 1 CONNECT BY PRIOR ID = MGR", "ORA-01436")
q("SELECT COUNT(*) FROM HE START WITH ID = 1 CONNECT BY NOCYCLE PRIOR ID = MGR", str(len(tree)))

# 14. REGEXP_ functions: the documented examples, answered by hand;
# positions count characters from 1, occurrence 0 of REPLACE is every match.
for sql, expected in [
        ("SELECT REGEXP_SUBSTR('500 Oracle Parkway, Redwood Shores, CA', ',[^,]+,') FROM DUAL", ", Redwood Shores,"),
        ("SELECT REGEXP_REPLACE('555.123.4567', '([[:digit:]]{3})\\.([[:digit:]]{3})\\.([[:digit:]]{4})', "
         "'(\\1) \\2-\\3') FROM DUAL", "(555) 123-4567"),
        ("SELECT REGEXP_INSTR('500 Oracle Parkway', '[[:alpha:]]+', 1, 2) FROM DUAL", "12"),
        ("SELECT REGEXP_INSTR('500 Oracle Parkway', '[[:alpha:]]+', 1, 2, 1) FROM DUAL", "19"),
        ("SELECT REGEXP_COUNT('abcabcab', 'ab'), REGEXP_COUNT('abcabcab', 'ab', 3) FROM DUAL", "3,2"),
        ("SELECT COUNT(*) FROM DUAL WHERE REGEXP_LIKE('Steven', '^ste(v|ph)en$', 'i')", "1"),
        ("SELECT COUNT(*) FROM DUAL WHERE REGEXP_LIKE('Steven', '^ste(v|ph)en$')", "0"),
        ("SELECT REGEXP_REPLACE('a  b   c', ' +', ' '), REGEXP_REPLACE('aaa', 'a', 'b', 1, 2) FROM DUAL", "a b c,aba"),
        ("SELECT REGEXP_SUBSTR('ab12cd345', '[0-9]+', 1, 2), REGEXP_SUBSTR('ab12', '(a)(b)', 1, 1, 'c', 2) FROM DUAL",
         "345,b"),
        ("SELECT REGEXP_SUBSTR('abc', 'x') FROM DUAL", "-"),
        ("SELECT REGEXP_COUNT('x', '(') FROM DUAL", "ORA-12725")]:
    q(sql, expected)

# 15. LISTAGG holds at most 4000 bytes: beyond them ORA-01489, or with ON
# OVERFLOW TRUNCATE the whole values that fit with the separator, the
# indicator and (WITH COUNT, the default) the count of values left out.
def listagg(values, separator, indicator=None, count=True):
    joined = separator.join(values)
    if len(joined) <= 4000:
        return joined
    if indicator is None:
        return "ORA-01489"
    for kept in range(len(values), -1, -1):
        tail = separator + indicator + ("(%d)" % (len(values) - kept) if count else "")
        if len(separator.join(values[:kept])) + len(tail) <= 4000:
            return separator.join(values[:kept]) + tail


items = ["abcdefghij"] * 500
base = "SELECT LISTAGG('abcdefghij', ','%s) WITHIN GROUP (ORDER BY LEVEL) FROM DUAL CONNECT BY LEVEL <= 500"
for clause, indicator, count in [("", None, True), (" ON OVERFLOW ERROR", None, True),
                                 (" ON OVERFLOW TRUNCATE", "...", True),
                                 (" ON OVERFLOW TRUNCATE '~' WITHOUT COUNT", "~", False),
                                 (" ON OVERFLOW TRUNCATE '[more]' WITH COUNT", "[more]", True)]:
    answer = listagg(items, ",", indicator, count)
    q("SELECT LENGTH(L), SUBSTR(L, -12) FROM (%s)" % (base % clause).replace("SELECT LISTAGG", "SELECT LISTAGG", 1)
      .replace(" FROM DUAL CONNECT", " L FROM DUAL CONNECT"),
      answer if answer.startswith("ORA-") else "%d,%s" % (len(answer), answer[-12:]))

# 16. NUMBER columns keep up to 38 digits and more, exact: stored, summed,
# compared and sorted on the decimal value.
getcontext().prec = 60
longs = ["12345678901234567890.123", "-12345678901234567890.5", "0.12345678901234567891", "7",
         "0.1234567890123456789", "99999999999999999999999999999999999999", "12345678901234567890.124"]
x("CREATE TABLE LN (ID NUMBER, N NUMBER)")
for index, value in enumerate(longs, 1):
    x("INSERT INTO LN VALUES (%d, %s)" % (index, value))
ranked = sorted(range(1, len(longs) + 1), key=lambda i: (Decimal(longs[i - 1]), i))
q("SELECT ID FROM LN ORDER BY N, ID", "|".join(str(i) for i in ranked))
q("SELECT N FROM LN ORDER BY N DESC", "|".join(num(Decimal(longs[i - 1])) for i in reversed(ranked)))
q("SELECT SUM(N) FROM LN WHERE ID < 6", num(sum(Decimal(v) for v in longs[:5])))
q("SELECT MIN(N), MAX(N) FROM LN", "%s,%s" % (num(min(Decimal(v) for v in longs)), num(max(Decimal(v) for v in longs))))
threshold = Decimal("0.1234567890123456790")
q("SELECT COUNT(*) FROM LN WHERE N > 0.1234567890123456790", str(sum(1 for v in longs if Decimal(v) > threshold)))
q("SELECT N * 2 - N FROM LN WHERE ID = 3", num(Decimal(longs[2])))

# 17. ROLLUP, CUBE and GROUPING SETS: each set's groups, columns outside the
# set NULL, GROUPING() 1 for them; rows sorted by the ORDER BY given.
staff = [(10, "CLERK", 1300), (10, "MANAGER", 2450), (20, "CLERK", 800), (20, "CLERK", 1100),
         (20, "ANALYST", 3000), (30, "SALESMAN", 1250), (30, "SALESMAN", 1500), (30, "MANAGER", 2850)]
x("CREATE TABLE GS (DEPTNO NUMBER(2), JOB VARCHAR2(9), SAL NUMBER(7,2))")
for row in staff:
    x("INSERT INTO GS VALUES (%d, '%s', %d)" % row)


def grouping(sets):
    rows = []
    for kept in sets:
        groups = {}
        for deptno, job, sal in staff:
            key = (deptno if "D" in kept else None, job if "J" in kept else None)
            groups.setdefault(key, []).append(sal)
        for (deptno, job), sals in groups.items():
            rows.append((deptno, job, sum(sals), len(sals), 0 if "D" in kept else 1, 0 if "J" in kept else 1))
    return rows


def nulls_last(value):
    return (value is None, value if value is not None else 0)


def show(value):
    return "-" if value is None else str(value)


for clause, sets in [("ROLLUP(DEPTNO, JOB)", ["DJ", "D", ""]),
                     ("CUBE(DEPTNO, JOB)", ["DJ", "D", "J", ""]),
                     ("GROUPING SETS ((DEPTNO), (JOB), ())", ["D", "J", ""]),
                     ("DEPTNO, ROLLUP(JOB)", ["DJ", "D"])]:
    rows = sorted(grouping(sets), key=lambda r: (nulls_last(r[0]), nulls_last(r[1])))
    q("SELECT DEPTNO, JOB, SUM(SAL), COUNT(*), GROUPING(DEPTNO), GROUPING_ID(DEPTNO, JOB) FROM GS GROUP BY %s "
      "ORDER BY DEPTNO, JOB" % clause,
      "|".join("%s,%s,%d,%d,%d,%d" % (show(r[0]), show(r[1]), r[2], r[3], r[4], r[4] * 2 + r[5]) for r in rows))
rows = sorted(grouping(["D", ""]), key=lambda r: (-r[2],))
q("SELECT DEPTNO, SUM(SAL) S FROM GS GROUP BY ROLLUP(DEPTNO) ORDER BY S DESC",
  "|".join("%s,%d" % (show(r[0]), r[2]) for r in rows))

# 18. MERGE: matched rows updated (DELETE WHERE removes updated ones), the
# source rows no target row matches inserted.
target = {1: 100, 2: 200, 3: 300}
source = [(2, 5), (3, 0), (4, 40), (5, 0)]
x("CREATE TABLE MT (ID NUMBER PRIMARY KEY, V NUMBER)")
x("CREATE TABLE MS (ID NUMBER, V NUMBER)")
for key, value in target.items():
    x("INSERT INTO MT VALUES (%d, %d)" % (key, value))
for key, value in source:
    x("INSERT INTO MS VALUES (%d, %d)" % (key, value))
merged = dict(target)
for key, value in source:
    if key in target:
        merged[key] = target[key] + value
        if value == 0:
            del merged[key]
    else:
        merged[key] = value
x("MERGE INTO MT T USING MS S ON (T.ID = S.ID) WHEN MATCHED THEN UPDATE SET T.V = T.V + S.V DELETE WHERE S.V = 0 "
  "WHEN NOT MATCHED THEN INSERT (ID, V) VALUES (S.ID, S.V)")
q("SELECT ID, V FROM MT ORDER BY ID", "|".join("%d,%d" % item for item in sorted(merged.items())))

# 19. ORDER SIBLINGS BY sorts the children of each row (the hierarchy stays
# depth first); CONNECT_BY_ISLEAF is 1 for a row without children.
org = {1: ("KING", None), 2: ("JONES", 1), 3: ("BLAKE", 1), 4: ("ADAMS", 2), 5: ("ALLEN", 3), 6: ("CLARK", 1),
       7: ("WARD", 3)}
x("CREATE TABLE OG (ID NUMBER, NAME VARCHAR2(10), MGR NUMBER)")
for key, (name, mgr) in org.items():
    x("INSERT INTO OG VALUES (%d, '%s', %s)" % (key, name, "NULL" if mgr is None else mgr))


def siblings(parent, descending, level=1):
    rows = []
    children = sorted((k for k in org if org[k][1] == parent), key=lambda k: org[k][0], reverse=descending)
    for child in children:
        leaf = 0 if any(org[k][1] == child for k in org) else 1
        rows.append((org[child][0], level, leaf))
        rows += siblings(child, descending, level + 1)
    return rows


for direction, descending in [("", False), (" DESC", True)]:
    q("SELECT NAME, LEVEL, CONNECT_BY_ISLEAF FROM OG START WITH MGR IS NULL CONNECT BY PRIOR ID = MGR "
      "ORDER SIBLINGS BY NAME" + direction,
      "|".join("%s,%d,%d" % row for row in siblings(None, descending)))

# 20. Statistics are exact decimals at the server's digits: VARIANCE and
# STDDEV (0 for one row), the _POP and _SAMP forms (_SAMP NULL for one row),
# COVAR_ and CORR over the pairs with neither value NULL; MEDIAN and
# PERCENTILE_CONT interpolate between the rows around 1 + p(n - 1),
# PERCENTILE_DISC takes the first value whose cumulative share reaches p.
x("CREATE TABLE ST (G NUMBER, X NUMBER(8,2), Y NUMBER(6))")
samples = {}
for k in range(1, 40):
    g = k % 4
    xv = Decimal((k * 7919) % 10000) / 100
    yv = None if k % 9 == 0 else (k * 31) % 97
    samples.setdefault(g, []).append((xv, yv))
    x("INSERT INTO ST VALUES (%d, %s, %s)" % (g, xv, "NULL" if yv is None else yv))
x("INSERT INTO ST VALUES (9, 5, NULL)")
samples[9] = [(Decimal(5), None)]


def shown_or_null(d):
    return "-" if d is None else num(server(d))


def moments(values):
    n = len(values)
    mean = sum(values) / n
    return n, sum((v - mean) ** 2 for v in values)


def statistic(kind, rows):
    xs = [xv for xv, _ in rows]
    pairs = [(xv, Decimal(yv)) for xv, yv in rows if yv is not None]
    if kind in ("COVAR_POP", "COVAR_SAMP", "CORR"):
        n = len(pairs)
        if n == 0 or (kind == "COVAR_SAMP" and n < 2):
            return None
        mx = sum(a for a, _ in pairs) / n
        my = sum(b for _, b in pairs) / n
        co = sum((a - mx) * (b - my) for a, b in pairs)
        if kind == "CORR":
            sxx = sum((a - mx) ** 2 for a, _ in pairs)
            syy = sum((b - my) ** 2 for _, b in pairs)
            return None if sxx * syy == 0 else co / (sxx * syy).sqrt()
        return co / (n if kind == "COVAR_POP" else n - 1)
    n, ss = moments(xs)
    if n == 1:
        return Decimal(0) if kind in ("VARIANCE", "STDDEV", "VAR_POP", "STDDEV_POP") else None
    var = ss / (n if kind.endswith("_POP") else n - 1)
    return server(var).sqrt() if kind.startswith("STDDEV") else var


for kind in ["VARIANCE", "VAR_POP", "VAR_SAMP", "STDDEV", "STDDEV_POP", "STDDEV_SAMP", "COVAR_POP",
             "COVAR_SAMP", "CORR"]:
    args = "X, Y" if kind in ("COVAR_POP", "COVAR_SAMP", "CORR") else "X"
    q("SELECT G, %s(%s) FROM ST GROUP BY G ORDER BY G" % (kind, args),
      "|".join("%d,%s" % (g, shown_or_null(statistic(kind, samples[g]))) for g in sorted(samples)))


def percentile(values, p, continuous):
    values = sorted(values)
    n = len(values)
    if not continuous:
        k = max(1, int((p * n).to_integral_value(rounding="ROUND_CEILING")))
        return values[k - 1]
    row = p * (n - 1)
    below = int(row)
    fraction = row - below
    if fraction == 0 or below + 1 >= n:
        return values[below]
    return (1 - fraction) * values[below] + fraction * values[below + 1]


for p in ["0.5", "0.1", "0.75", "1"]:
    for name, continuous in [("PERCENTILE_CONT", True), ("PERCENTILE_DISC", False)]:
        q("SELECT G, %s(%s) WITHIN GROUP (ORDER BY X) FROM ST GROUP BY G ORDER BY G" % (name, p),
          "|".join("%d,%s" % (g, num(server(percentile([xv for xv, _ in samples[g]], Decimal(p), continuous))))
                   for g in sorted(samples)))
q("SELECT G, MEDIAN(Y) FROM ST WHERE Y IS NOT NULL GROUP BY G ORDER BY G",
  "|".join("%d,%s" % (g, num(server(percentile([Decimal(yv) for _, yv in samples[g] if yv is not None],
                                                  Decimal("0.5"), True))))
           for g in sorted(samples) if any(yv is not None for _, yv in samples[g])))

# 21. CONNECT BY over a join: the join is made first (in ON or in WHERE),
# the hierarchy walks the joined rows depth first, children in the order of
# the joined rows, and the conditions of WHERE on one table filter the rows
# it gives.
staff = {1: ("KING", None, 9), 2: ("JONES", 1, 2), 3: ("SCOTT", 2, 2), 4: ("BLAKE", 1, 3), 5: ("ADAMS", 3, None),
         6: ("FORD", 2, 2), 7: ("SMITH", 6, 2), 8: ("ALLEN", 4, 3)}
depts = {2: "RESEARCH", 3: "SALES", 9: "ACCOUNTING"}
x("CREATE TABLE HJE (ID NUMBER, NAME VARCHAR2(10), MGR NUMBER, DEPT NUMBER)")
x("CREATE TABLE HJD (DEPT NUMBER, DNAME VARCHAR2(12))")
for key, (name, mgr, dept) in staff.items():
    x("INSERT INTO HJE VALUES (%d, '%s', %s, %s)" % (key, name, "NULL" if mgr is None else mgr,
                                                   "NULL" if dept is None else dept))
for dept, dname in depts.items():
    x("INSERT INTO HJD VALUES (%d, '%s')" % (dept, dname))
joined = [k for k in sorted(staff) if staff[k][2] in depts]


def walk_joined(roots, level=1, path=""):
    rows = []
    for root in roots:
        here = path + "/" + staff[root][0]
        rows.append((root, level, here))
        rows += walk_joined([k for k in joined if staff[k][1] == root], level + 1, here)
    return rows


rows = walk_joined([k for k in joined if staff[k][1] is None])
q("SELECT E.NAME, D.DNAME, LEVEL FROM HJE E JOIN HJD D ON E.DEPT = D.DEPT START WITH E.MGR IS NULL "
  "CONNECT BY PRIOR E.ID = E.MGR",
  "|".join("%s,%s,%d" % (staff[k][0], depts[staff[k][2]], level) for k, level, _ in rows))
q("SELECT E.NAME, SYS_CONNECT_BY_PATH(E.NAME, '/') FROM HJE E, HJD D WHERE E.DEPT = D.DEPT AND D.DNAME <> "
  "'RESEARCH' START WITH E.MGR IS NULL CONNECT BY PRIOR E.ID = E.MGR",
  "|".join("%s,%s" % (staff[k][0], path) for k, _, path in rows if depts[staff[k][2]] != "RESEARCH"))
q("SELECT COUNT(*) FROM (SELECT ID, MGR FROM HJE WHERE DEPT IS NOT NULL) START WITH MGR IS NULL "
  "CONNECT BY PRIOR ID = MGR", str(len(rows)))
for n in range(1, 4):
    q("SELECT COUNT(*) FROM HJD D, (SELECT LEVEL L FROM DUAL CONNECT BY LEVEL <= %d) G WHERE G.L <= D.DEPT" % n,
      str(sum(min(n, dept) for dept in depts)))

# 22. JSON_TABLE: each element of the row path's array a row, numbered from
# 1; a column's value NULL where the path finds nothing, an object or array,
# or a value its type does not take (text longer than VARCHAR2(n), text that
# is no number for NUMBER); numbers read exactly from their digits. JSON_VALUE
# answers ON EMPTY, else ON ERROR, when the path finds nothing.
import json

documents = [
    {"order": 1, "lines": [{"sku": "A-1", "qty": 2, "price": "10.25"}, {"sku": "LONGSKU", "qty": 1.5}]},
    {"order": 2, "lines": []},
    {"order": 3, "lines": [{"sku": "C", "qty": "x", "price": 0.1}, {"qty": 3, "price": 7}]},
]
x("CREATE TABLE JD (ID NUMBER, DOC VARCHAR2(1000))")
for k, document in enumerate(documents, 1):
    x("INSERT INTO JD VALUES (%d, '%s')" % (k, json.dumps(document, separators=(",", ":"))))
x("INSERT INTO JD VALUES (4, 'garbage')")


def as_number(value):
    if isinstance(value, bool) or value is None:
        return None
    try:
        return Decimal(str(value))
    except Exception:
        return None


rows = []
for k, document in enumerate(documents, 1):
    for n, line in enumerate(document["lines"], 1):
        sku = line.get("sku")
        sku = sku if sku is not None and len(sku) <= 5 else None
        qty = as_number(line.get("qty"))
        price = as_number(line.get("price"))
        rows.append((k, n, sku, qty, price))
q("SELECT D.ID, J.N, J.SKU, J.QTY, J.PRICE FROM JD D, JSON_TABLE(D.DOC, '$.lines[*]' COLUMNS (N FOR ORDINALITY, "
  "SKU VARCHAR2(5) PATH '$.sku', QTY NUMBER PATH '$.qty', PRICE NUMBER PATH '$.price')) J ORDER BY 1, 2",
  "|".join(",".join("-" if v is None else (num(v) if isinstance(v, Decimal) else str(v)) for v in row)
           for row in rows))
total = sum(r[3] * r[4] for r in rows if r[3] is not None and r[4] is not None)
q("SELECT SUM(J.QTY * J.PRICE) FROM JD D, JSON_TABLE(D.DOC, '$.lines[*]' COLUMNS (QTY NUMBER PATH '$.qty', "
  "PRICE NUMBER PATH '$.price')) J", num(total))
for path, handler, expected in [("$.order", "", "1|2|3|-"), ("$.none", " DEFAULT 'e' ON EMPTY", "e|e|e|-"),
                                ("$.none", " DEFAULT 'x' ON ERROR", "x|x|x|x"),
                                ("$.lines", " DEFAULT 'x' ON ERROR", "x|x|x|x")]:
    q("SELECT JSON_VALUE(DOC, '%s'%s) FROM JD ORDER BY ID" % (path, handler), expected)

# 23. JSON generation: a NUMBER as a JSON number (a 0 before its point), a
# DATE as ISO 8601 text, text quoted with " and \\ escaped; JSON_OBJECT
# writes NULL as null and JSON_ARRAY leaves it out unless told otherwise;
# JSON_ARRAYAGG and JSON_OBJECTAGG gather a group's values (NULL for none).
staff_json = [(1, "Ann", Decimal("2500.5"), datetime.date(2006, 4, 6)), (2, 'Bo "B"', None, None),
              (3, "Cy", Decimal("-0.125"), datetime.date(2019, 12, 31))]
x("CREATE TABLE JG (ID NUMBER(3), NAME VARCHAR2(10), PAY NUMBER(8,3), HIRED DATE)")
for k, name, pay, hired in staff_json:
    x("INSERT INTO JG VALUES (%d, '%s', %s, %s)" % (k, name, "NULL" if pay is None else str(pay),
                                                   "NULL" if hired is None else "DATE '%s'" % hired))


def json_value(value):
    if value is None:
        return "null"
    if isinstance(value, Decimal):
        text = num(value)
        return "0" + text if text.startswith(".") else ("-0" + text[1:] if text.startswith("-.") else text)
    if isinstance(value, datetime.date):
        return '"%sT00:00:00"' % value.isoformat()
    if isinstance(value, int):
        return str(value)
    return '"' + value.replace("\\", "\\\\").replace('"', '\\"') + '"'


q("SELECT JSON_OBJECT('id' VALUE ID, 'name' VALUE NAME, 'pay' VALUE PAY, 'hired' VALUE HIRED) FROM JG ORDER BY ID",
  "|".join("{%s}" % ",".join('"%s":%s' % (key, json_value(v)) for key, v in zip(("id", "name", "pay", "hired"), row))
           for row in staff_json))
q("SELECT JSON_ARRAY(ID, PAY, HIRED) FROM JG ORDER BY ID",
  "|".join("[%s]" % ",".join(json_value(v) for v in (k, pay, hired) if v is not None)
           for k, _, pay, hired in staff_json))
q("SELECT JSON_ARRAYAGG(PAY ORDER BY ID DESC) FROM JG",
  "[%s]" % ",".join(json_value(pay) for _, _, pay, _ in reversed(staff_json) if pay is not None))
q("SELECT JSON_ARRAYAGG(PAY ORDER BY ID NULL ON NULL) FROM JG",
  "[%s]" % ",".join(json_value(pay) for _, _, pay, _ in staff_json))
q("SELECT JSON_OBJECTAGG(KEY NAME VALUE PAY) FROM JG",
  "{%s}" % ",".join("%s:%s" % (json_value(name), json_value(pay)) for _, name, pay, _ in staff_json))
q("SELECT JSON_ARRAYAGG(ID) FROM JG WHERE ID > 3", "-")

# 24. BINARY_FLOAT and BINARY_DOUBLE: IEEE arithmetic in the wider type
# (a BINARY_FLOAT operation rounded to single precision), 1/0 Inf and 0/0
# NaN, NaN above every value, and the text without a model: "Nan", "Inf",
# "-Inf", "0", else d.dddE+xxx with the fewest of 15 or 17 significant
# digits that read back (6 or 9 for single precision; subnormals all).
import math
import struct


def single(v):
    return struct.unpack("f", struct.pack("f", v))[0] if math.isfinite(v) else v


def ieee_text(v, width):
    if math.isnan(v):
        return "Nan"
    if math.isinf(v):
        return "Inf" if v > 0 else "-Inf"
    if v == 0:
        return "0"
    narrow = single if width == 4 else (lambda d: d)
    few, full, least = (6, 9, 1.1754943508222875e-38) if width == 4 else (15, 17, 2.2250738585072014e-308)
    text = "%.*e" % (few - 1, v)
    if abs(v) < least or narrow(float(text)) != v:
        text = "%.*e" % (full - 1, v)
    mantissa, exponent = text.split("e")
    if "." not in mantissa:
        mantissa += ".0"
    while mantissa.endswith("0") and not mantissa.endswith(".0"):
        mantissa = mantissa[:-1]
    e = int(exponent)
    return "%sE%s%03d" % (mantissa, "-" if e < 0 else "+", abs(e))


def ieee(op, a, b, width):
    narrow = single if width == 4 else (lambda d: d)
    a, b = narrow(a), narrow(b)
    if op == "/":
        if b == 0:
            r = math.nan if a == 0 or math.isnan(a) else math.copysign(math.inf, a)
        else:
            r = a / b
    else:
        r = {"+": a + b, "-": a - b, "*": a * b}[op] if not (math.isinf(a) and math.isinf(b) and op == "-" and a == b) else math.nan
    return narrow(r)


x("CREATE TABLE FB (ID NUMBER, A BINARY_DOUBLE, B BINARY_FLOAT)")
float_rows = [(1, "0.1", "0.1"), (2, "1/3", "1/3"), (3, "-2.5", "7"), (4, "1e300", "3e38"), (5, "0", "-0.5")]
stored = []
for k, a, b in float_rows:
    x("INSERT INTO FB VALUES (%d, %s, %s)" % (k, a, b))
    value = (lambda t: 1 / 3 if t == "1/3" else float(t))
    stored.append((k, value(a), single(value(b))))
for op in ["+", "-", "*", "/"]:
    q("SELECT TO_CHAR(A %s B) FROM FB ORDER BY ID" % op,
      "|".join(ieee_text(ieee(op, a, b, 8), 8) for _, a, b in stored))
    q("SELECT TO_CHAR(B %s 3) FROM FB ORDER BY ID" % op,
      "|".join(ieee_text(ieee(op, b, 3.0, 4), 4) for _, _, b in stored))
q("SELECT TO_CHAR(A / 0) FROM FB ORDER BY ID",
  "|".join(ieee_text(ieee("/", a, 0.0, 8), 8) for _, a, _ in stored))
q("SELECT TO_CHAR(B * B * B) FROM FB ORDER BY ID",
  "|".join(ieee_text(ieee("*", ieee("*", b, b, 4), b, 4), 4) for _, _, b in stored))
x("INSERT INTO FB VALUES (6, BINARY_DOUBLE_NAN, BINARY_FLOAT_INFINITY)")
everything = stored + [(6, math.nan, math.inf)]
q("SELECT ID FROM FB ORDER BY A DESC, ID",
  "|".join(str(k) for k, _, _ in sorted(everything, key=lambda r: (-math.inf if math.isnan(r[1]) else -r[1], r[0]))))
q("SELECT ID FROM FB WHERE B > 1 ORDER BY ID", "|".join(str(k) for k, _, b in everything if b > 1))
q("SELECT COUNT(*) FROM FB WHERE A IS NAN OR B IS INFINITE", "1")

# 25. ANY / SOME / ALL of an expression list: "x op ANY (a, b)" is
# "x op a OR x op b", ALL joins them by AND, in three-valued logic (a NULL
# comparison is unknown; a row is selected only when the condition is true).
# The text column meets the numbers as numbers.
x("CREATE TABLE TQ (ID NUMBER, N NUMBER, S VARCHAR2(5))")
quantified_rows = [(1, 5, "10"), (2, 10, "9"), (3, None, "100"), (4, 20, None), (5, 0, "007")]
for row in quantified_rows:
    x("INSERT INTO TQ VALUES (%d, %s, %s)" % (row[0], "NULL" if row[1] is None else row[1],
                                                "NULL" if row[2] is None else "'%s'" % row[2]))


quantified_ops = dict(ops, **{"<>": lambda a, b: a != b})


def compare(op, left, right):
    if left is None or right is None:
        return None
    return quantified_ops[op](left, right)


def quantified(op, quantifier, left, items):
    answers = [compare(op, left, item) for item in items]
    if quantifier == "ALL":
        return False if False in answers else (None if None in answers else True)
    return True if True in answers else (None if None in answers else False)


quantified_lists = [[5, 10], [0], [7, None], [20, 10, 5], [None]]
for op, quantifier, items in itertools.product(quantified_ops, ["ANY", "SOME", "ALL"], quantified_lists):
    written = ", ".join("NULL" if item is None else str(item) for item in items)
    for column, index in (("N", 1), ("S", 2)):
        chosen = [row[0] for row in quantified_rows
                  if quantified(op, quantifier, None if row[index] is None else int(row[index]), items) is True]
        q("SELECT ID FROM TQ WHERE %s %s %s (%s) ORDER BY ID" % (column, op, quantifier, written),
          "|".join(str(k) for k in chosen))
    negated = [row[0] for row in quantified_rows if quantified(op, quantifier, row[1], items) is False]
    q("SELECT ID FROM TQ WHERE NOT (N %s %s (%s)) ORDER BY ID" % (op, quantifier, written),
      "|".join(str(k) for k in negated))

with open(__file__.replace("differential.py", "differential.txt"), "w", encoding="utf-8") as f:
    f.write("\n".join(out) + "\n")
print(len([line for line in out if line.startswith("Q")]), "statements")
