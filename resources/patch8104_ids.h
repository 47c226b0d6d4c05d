// IDs of the patch program's messages in its string table. Shared by the
// resource scripts and the code that loads the texts, so the two cannot
// drift apart.
#ifndef PATCH8104_IDS_H
#define PATCH8104_IDS_H

#define IDS_WRONG_OPERATING_SYSTEM 1120
// Patch log lines; present in English and Simplified Chinese only.
#define IDS_UPDATE_FILE_FAILED 1121
#define IDS_PROCESS_WILL_BE_TERMINATED 1122
#define IDS_WRONG_PRODUCT_VERSION 1130
#define IDS_PRODUCT_CAPTION 1140
#define IDS_PATCH_COMPLETED 1160
#define IDS_ALREADY_INSTALLED 1170
#define IDS_PRODUCT_NOT_INSTALLED 1180
// What a removal run (/uninstall) ends with.
#define IDS_PATCH_REMOVED 1190
#define IDS_PATCH_NOT_INSTALLED 1195
#define IDS_INSTALL_FAILED 1200

#endif
