#pragma once

// Starts the client library for the calling console; calls nest (each
// OStartup is matched by one OShutdown). Returns 0 on success.
int OStartup(int mode);
void OShutdown();
