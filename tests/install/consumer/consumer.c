/* A host application of the installed package, in C: it asks the module what it is and
   sets the stand-in host up, through the public headers only. */
#include <nyhost/nyhost_control.h>
#include <nyprkt3600r/nyprkt3600r.h>
#include <stdio.h>
#include <string.h>

int main(void) {
  DriverSpecST spec;
  memset(&spec, 0, sizeof spec);
  spec.SizeUL = sizeof spec;
  nyhostSetIniPath("consumer.ini");
  if (NyPrGetDriverSpec(&spec) != 16 || spec.Value3UL != 1) return 1;
  if (NyPrSearchPrinters(0, NULL, 1) != -6) return 1;
  if (strcmp(nyhostIniPath(), "consumer.ini") != 0) return 1;
  printf("consumer: driver spec %u bytes\n", (unsigned)spec.SizeUL);
  return 0;
}
