// String IDs of test_message_box.rc, shared by the table and the tests.
#ifndef TEST_MESSAGE_BOX_IDS_H
#define TEST_MESSAGE_BOX_IDS_H

#define IDS_TEST_CAPTION 4101
#define IDS_TEST_TEXT 4102
#define IDS_TEST_LONG 4103
// Not in the table.
#define IDS_TEST_MISSING 4199

#endif
