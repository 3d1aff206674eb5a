#!/usr/bin/env python3
"""Writes data/demo.sql, the demo database of the two programs.

The data is synthetic: company names, streets and people are made up here from
word lists, and the orders are drawn from a fixed seed, so running the script
again reproduces the committed file byte for byte.

    /usr/bin/python3 scripts/make_demo_sql.py            # writes data/demo.sql
    /usr/bin/python3 scripts/make_demo_sql.py out.sql    # writes elsewhere

The script creates three objects:
  customer         customers of a diving and marine supply wholesaler
  orders           their orders, 1988-1995 plus a few recent ones
  orders_by_terms  the orders sorted by Terms, PaymentMethod and OrderNo, the
                   order in which the grid export groups them
"""
import datetime
import os
import random
import sys

SEED = 19880104
ORDER_COUNT = 3200
ROWS_PER_INSERT = 100

LATIN_FIRST = [
    "Blue Heron", "Coral Cove", "Tidewater", "Silver Fin", "Deep Current", "Harbor Light",
    "Sandpiper", "Kelp Forest", "North Reef", "Lagoon", "Anchor Point", "Salt Spray",
    "Moray", "Driftwood", "Seahorse", "Outer Banks", "Gull Rock", "Pelican Bay",
    "Bright Water", "Manta", "Barracuda", "Starfish", "Turtle Key", "Windward",
    "Leeward", "Breakwater", "Lighthouse", "Riptide", "Marlin", "Cape Shoal",
]
LATIN_LAST = [
    "Dive Shop", "Divers Supply", "Marine Supply", "Outfitters", "Scuba Center",
    "Aquatics", "Sports", "Trading Co.", "Diving Club", "Water Sports", "Sub Aqua",
    "Expeditions", "Dive Center", "Snorkel & Sail",
]
CYRILLIC_NAMES = [
    "Морская Звезда", "Северный Ветер", "Глубина", "Дельфин Плюс", "Балтийский Берег",
    "Коралл", "Аквалангист", "Синяя Волна", "Нептун", "Подводный Мир", "Маяк",
    "Прибой", "Тихая Гавань", "Белый Парус", "Акватория", "Бухта Удачи", "Скат",
    "Янтарный Риф", "Русалка", "Лагуна",
]
CYRILLIC_FORMS = ["ООО", "ЗАО", "ИП", "АО"]
CYRILLIC_CITIES = [
    ("Москва", "101000"), ("Санкт-Петербург", "190000"), ("Мурманск", "183038"),
    ("Калининград", "236006"), ("Владивосток", "690091"), ("Сочи", "354000"),
    ("Новороссийск", "353900"), ("Архангельск", "163000"),
]
CYRILLIC_STREETS = ["ул. Морская", "пр. Мира", "ул. Береговая", "наб. Рыбацкая", "ул. Садовая",
                    "ул. Портовая", "пер. Якорный"]
CYRILLIC_PEOPLE = ["Иван Петров", "Ольга Смирнова", "Сергей Волков", "Анна Кузнецова",
                   "Дмитрий Орлов", "Елена Соколова", "Павел Морозов", "Мария Лебедева"]

PLACES = [
    # city, state or region, country, zip maker, phone prefix
    ("Kailua-Kona", "HI", "US", lambda r: "967%02d" % r.randint(0, 99), "808"),
    ("Key Largo", "FL", "US", lambda r: "330%02d" % r.randint(0, 99), "305"),
    ("Monterey", "CA", "US", lambda r: "939%02d" % r.randint(0, 99), "831"),
    ("Galveston", "TX", "US", lambda r: "775%02d" % r.randint(0, 99), "409"),
    ("Freeport", None, "Bahamas", lambda r: None, "242"),
    ("Nassau", None, "Bahamas", lambda r: None, "242"),
    ("Kralendijk", None, "Bonaire", lambda r: None, "599"),
    ("George Town", "Grand Cayman", "Cayman Islands", lambda r: "KY1-%04d" % r.randint(1000, 1999), "345"),
    ("Suva", None, "Fiji", lambda r: None, "679"),
    ("Cairns", "QLD", "Australia", lambda r: "48%02d" % r.randint(70, 79), "61"),
    ("Halifax", "NS", "Canada", lambda r: "B3H %d%s%d" % (r.randint(1, 9), "ABCEGHJ"[r.randint(0, 6)], r.randint(1, 9)), "902"),
    ("Piraeus", "Attica", "Greece", lambda r: "185 %02d" % r.randint(30, 99), "30"),
    ("Dahab", "South Sinai", "Egypt", lambda r: None, "20"),
    ("Bridgetown", None, "Barbados", lambda r: None, "246"),
    ("Cozumel", "Q. Roo", "Mexico", lambda r: "77%03d" % r.randint(600, 699), "987"),
]
STREETS = ["Harbor Rd.", "Ocean Dr.", "Coral Way", "Bay St.", "Marina Blvd.", "Reef Lane",
           "Pier 4", "Shoreline Ave.", "Wharf St.", "Seaview Terrace", "Lighthouse Rd."]
FIRST_NAMES = ["Maria", "Tom", "Leilani", "Jorge", "Anna", "Derek", "Priya", "Sam", "Nikos",
               "Grace", "Omar", "Chen", "Ruth", "Luis", "Hannah", "Kai"]
LAST_NAMES = ["Okafor", "Lindqvist", "Reyes", "Tanaka", "Brennan", "Moreau", "Kowalski",
              "Haddad", "Fischer", "Nakoa", "Dubois", "Santos", "Walsh", "Papadakis"]

TERMS = [("Net 30", 40), ("Net 60", 12), ("COD", 14), ("FOB", 10), ("Prepaid", 12),
         ("Net 15", 8), ("2/10 Net 30", 4)]
METHODS = [("Credit", 35), ("Check", 25), ("Cash", 10), ("Visa", 12), ("MC", 8), ("AmEx", 6),
           ("Wire", 4)]
SHIP_VIA = ["UPS", "FedEx", "DHL", "Emery", "US Mail", "Sea"]
TAX_RATES = [0.0, 0.0, 0.0, 4.0, 5.0, 6.5, 7.25, 8.25]


def q(text):
    """An SQL literal: NULL, a number or a quoted text."""
    if text is None:
        return "NULL"
    if isinstance(text, (int, float)):
        return repr(text)
    return "'" + text.replace("'", "''") + "'"


def money(value):
    return "%.2f" % value


def weighted(rng, table):
    total = sum(w for _, w in table)
    pick = rng.randint(1, total)
    for value, w in table:
        pick -= w
        if pick <= 0:
            return value
    return table[-1][0]


def day_between(rng, first, last):
    return first + datetime.timedelta(days=rng.randint(0, (last - first).days))


def make_customers(rng):
    customers = []
    used = set()
    number = 1221
    for i in range(150):
        cyrillic = i % 4 == 3
        while True:
            if cyrillic:
                name = '%s "%s"' % (rng.choice(CYRILLIC_FORMS), rng.choice(CYRILLIC_NAMES))
            else:
                name = "%s %s" % (rng.choice(LATIN_FIRST), rng.choice(LATIN_LAST))
            if name not in used:
                used.add(name)
                break
        if cyrillic:
            city, zip_code = rng.choice(CYRILLIC_CITIES)
            addr = "%s, %d" % (rng.choice(CYRILLIC_STREETS), rng.randint(1, 120))
            state, country = None, "Россия"
            phone = "+7 %03d %03d-%02d-%02d" % (rng.randint(800, 999), rng.randint(100, 999),
                                                 rng.randint(0, 99), rng.randint(0, 99))
            contact = rng.choice(CYRILLIC_PEOPLE)
        else:
            city, state, country, zip_maker, prefix = rng.choice(PLACES)
            zip_code = zip_maker(rng)
            addr = "%d %s" % (rng.randint(1, 9999), rng.choice(STREETS))
            phone = "%s-%03d-%04d" % (prefix, rng.randint(200, 999), rng.randint(0, 9999))
            contact = "%s %s" % (rng.choice(FIRST_NAMES), rng.choice(LAST_NAMES))
        # A few records are incomplete, as real customer files are.
        if rng.random() < 0.04:
            addr = None
        if rng.random() < 0.05:
            phone = None
        if rng.random() < 0.06:
            contact = None
        customers.append({
            "CustNo": float(number), "Company": name, "Addr1": addr, "City": city,
            "State": state, "Zip": zip_code, "Country": country, "Phone": phone,
            "Contact": contact, "LastInvoiceDate": None,
            # The customer orders until this day, so that last invoice dates
            # spread over the years; a few stay active until recently and the
            # last three are new accounts without orders yet.
            "ActiveUntil": (None if i >= 147 else
                            day_between(rng, datetime.date(2021, 6, 1), datetime.date(2025, 11, 28))
                            if rng.random() < 0.12 else
                            day_between(rng, datetime.date(1988, 9, 1), datetime.date(1995, 12, 29))),
        })
        number += rng.choice([10, 20, 30, 46, 51])
    return customers


def make_orders(rng, customers):
    orders = []
    first, last = datetime.date(1988, 1, 4), datetime.date(1995, 12, 29)
    recent_first, recent_last = datetime.date(2021, 2, 1), datetime.date(2025, 11, 28)
    for i in range(ORDER_COUNT):
        order_no = 1003 + i
        recent = rng.random() < 0.05
        sale_day = day_between(rng, recent_first, recent_last) if recent else day_between(rng, first, last)
        candidates = [c for c in customers if c["ActiveUntil"] is not None and c["ActiveUntil"] >= sale_day]
        if not candidates:
            candidates = [c for c in customers if c["ActiveUntil"] is not None]
        customer = rng.choice(candidates)
        if recent:
            sale = datetime.datetime.combine(sale_day, datetime.time(rng.randint(8, 18), rng.randint(0, 59),
                                                                     rng.randint(0, 59)))
        else:
            sale = datetime.datetime.combine(sale_day, datetime.time())
        ship = None
        if rng.random() > 0.03:
            ship = datetime.datetime.combine(sale_day + datetime.timedelta(days=rng.randint(0, 21)),
                                             datetime.time())
        items = round(rng.uniform(15.0, 6000.0) if rng.random() < 0.8 else rng.uniform(6000.0, 75000.0), 2)
        tax = rng.choice(TAX_RATES)
        freight = round(rng.uniform(0.0, 250.0), 2) if rng.random() < 0.7 else 0.0
        due = round(items * (1 + tax / 100.0) + freight, 2)
        paid_roll = rng.random()
        if paid_roll < 0.8:
            paid = due
        elif paid_roll < 0.92:
            paid = round(due * rng.choice([0.25, 0.5, 0.75]), 2)
        else:
            paid = 0.0
        method = weighted(rng, METHODS) if rng.random() > 0.015 else None
        orders.append({
            "OrderNo": order_no, "CustNo": int(customer["CustNo"]),
            "SaleDate": sale.strftime("%Y-%m-%d %H:%M:%S") if recent else sale.strftime("%Y-%m-%d"),
            "ShipDate": ship.strftime("%Y-%m-%d") if ship else None,
            "EmpNo": rng.choice([2, 4, 5, 8, 9, 11, 12, 14, 15, 20, 24, 28, 29, 34]),
            "ShipVia": rng.choice(SHIP_VIA), "Terms": weighted(rng, TERMS), "PaymentMethod": method,
            "ItemsTotal": items, "TaxRate": tax, "Freight": freight, "AmountPaid": paid,
        })
        if customer["LastInvoiceDate"] is None or customer["LastInvoiceDate"] < sale.strftime("%Y-%m-%d %H:%M:%S"):
            customer["LastInvoiceDate"] = sale.strftime("%Y-%m-%d %H:%M:%S")
    return orders


def insert_rows(out, table, columns, rows, formatters):
    for start in range(0, len(rows), ROWS_PER_INSERT):
        out.append("INSERT INTO %s (%s) VALUES" % (table, ", ".join(columns)))
        chunk = rows[start:start + ROWS_PER_INSERT]
        for n, row in enumerate(chunk):
            values = ", ".join(formatters.get(c, q)(row[c]) for c in columns)
            out.append("(%s)%s" % (values, ";" if n == len(chunk) - 1 else ","))


def main():
    rng = random.Random(SEED)
    customers = make_customers(rng)
    orders = make_orders(rng, customers)
    # A couple of customers never ordered; keep their invoice date empty.
    for c in customers:
        if c["LastInvoiceDate"] is not None:
            c["LastInvoiceDate"] = c["LastInvoiceDate"][:10]

    out = [
        "-- Demo database of the Quillon and Marlet programs.",
        "-- Synthetic data written for this project by scripts/make_demo_sql.py; do not edit by hand.",
        "-- Dates are ISO texts; the dataset layer turns them into date-time values.",
        "BEGIN TRANSACTION;",
        "CREATE TABLE customer (",
        "  CustNo FLOAT PRIMARY KEY,",
        "  Company NVARCHAR(40) NOT NULL,",
        "  Addr1 NVARCHAR(30),",
        "  City NVARCHAR(20),",
        "  State NVARCHAR(20),",
        "  Zip NVARCHAR(10),",
        "  Country NVARCHAR(20),",
        "  Phone NVARCHAR(18),",
        "  Contact NVARCHAR(20),",
        "  LastInvoiceDate DATETIME",
        ");",
        "CREATE TABLE orders (",
        "  OrderNo INTEGER PRIMARY KEY,",
        "  CustNo INTEGER NOT NULL REFERENCES customer(CustNo),",
        "  SaleDate DATETIME,",
        "  ShipDate DATETIME,",
        "  EmpNo INTEGER,",
        "  ShipVia VARCHAR(7),",
        "  Terms VARCHAR(11) NOT NULL,",
        "  PaymentMethod VARCHAR(7),",
        "  ItemsTotal CURRENCY,",
        "  TaxRate FLOAT,",
        "  Freight CURRENCY,",
        "  AmountPaid CURRENCY",
        ");",
    ]
    cust_cols = ["CustNo", "Company", "Addr1", "City", "State", "Zip", "Country", "Phone", "Contact",
                 "LastInvoiceDate"]
    insert_rows(out, "customer", cust_cols, customers, {"CustNo": lambda v: "%.0f" % v})
    order_cols = ["OrderNo", "CustNo", "SaleDate", "ShipDate", "EmpNo", "ShipVia", "Terms", "PaymentMethod",
                  "ItemsTotal", "TaxRate", "Freight", "AmountPaid"]
    insert_rows(out, "orders", order_cols, orders,
                {"ItemsTotal": money, "Freight": money, "AmountPaid": money, "TaxRate": lambda v: "%g" % v})
    out += [
        "CREATE VIEW orders_by_terms AS",
        "  SELECT * FROM orders ORDER BY Terms, PaymentMethod, OrderNo;",
        "COMMIT;",
        "",
    ]
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "data", "demo.sql")
    with open(target, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(out))


if __name__ == "__main__":
    main()
