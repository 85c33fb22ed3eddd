// dbfdump FILE: prints a dBase table as JSON lines (see dbfdump.h).
#include "dbfdump.h"

#include <exception>
#include <iostream>

int main(int argc, char **argv) {
  if (argc != 2) {
    std::cerr << "usage: dbfdump FILE.dbf\n";
    return 2;
  }
  try {
    calixo::dumpTable(argv[1], std::cout);
  } catch (const std::exception &e) {
    std::cout.flush();
    std::cerr << e.what() << "\n";
    return 1;
  }
  return 0;
}
