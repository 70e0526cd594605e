#include "engine/batch_job.h"

CStringArray g_findResults;
HWND g_hMainWnd = nullptr;

void NotifyBatchStep() { SendMessageW(g_hMainWnd, WM_BATCH_PROGRESS, 1, 1); }
void NotifyBatchDone() { SendMessageW(g_hMainWnd, WM_BATCH_PROGRESS, 0, 0); }
