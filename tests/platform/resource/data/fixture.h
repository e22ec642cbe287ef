// Identifiers shared by the fixture script and the tests.
#ifndef FIXTURE_H
#define FIXTURE_H
#define IDD_NUMBERED 107
#define IDS_QUOTE 40
#define IDI_FIXTURE 1
int this_line_is_ignored_in_a_header;
#endif
