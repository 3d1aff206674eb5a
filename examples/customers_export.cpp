// Exports a SQLite table with the dataset exporter of the component library:
// a small in-memory database of three customers becomes customers.xls, a
// header row of field names and a row per customer. Build with the examples
// and run build/<dir>/examples/customers_export [FILE].
#include <cstdio>
#include <string>

#include "lxDataToXLS.h"
#include "lxSQLiteDataSet.h"
#include "lxText.h"

using namespace lx;

int main(int argc, char** argv) {
  const std::string fileName = argc > 1 ? argv[1] : "customers.xls";

  TSQLiteDatabase database;
  if (!database.OpenMemory() ||
      !database.ExecScript("CREATE TABLE customer (CustNo INTEGER, Company VARCHAR(30), LastInvoice DATE);"
                           "INSERT INTO customer VALUES (1221, 'Kauai Dive Shoppe', '1994-02-02');"
                           "INSERT INTO customer VALUES (1231, 'Unisco', '1993-11-17');"
                           "INSERT INTO customer VALUES (1351, 'Sight Diver', '1992-06-21');")) {
    std::fprintf(stderr, "customers_export: %s\n", database.LastError().c_str());
    return 1;
  }
  TSQLiteDataSet customers;
  customers.SetDatabase(&database);
  customers.SetTableName("customer");
  customers.Open();

  // The header shows the field names; every record becomes a row.
  TDataToXLS exporter;
  exporter.SetDataset(&customers);
  exporter.SetHeaderSource(hsFieldName);
  const int32_t result = exporter.ExportToFile(Utf8ToUtf16(fileName));
  std::printf("customers_export: %d customers written to %s, result %d\n", customers.RecordCount(), fileName.c_str(),
              result);
  return result == kResultOk ? 0 : 1;
}
