/* The dialog controls the worker addresses. Plain definitions: the resource
   compiler reads this file too. */
#pragma once

#define IDC_FILE_PROGRESS 1000
#define IDC_FILE_STATUS 1001
#define IDC_FILES_STATUS 1002
#define IDC_FILES_PROGRESS 1003
