// The worker of one run: collection, content pass, file and folder renaming, summary.
#pragma once

#include "engine/batch_job.h"

// pParam is a CBatchJob*, which the run owns and destroys. Returns 0.
UINT BatchThreadProc(LPVOID pParam);
// What the user is told about files whose new content could not be written (empty when none).
CString UnwrittenFilesMessage(const CStringArray& unwritten);
