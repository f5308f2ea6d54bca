// Loopback TCP ports for the tests that start zelvox: a free one, and whether one accepts.
#pragma once

// A port on 127.0.0.1 that is free at the time of asking.
int FreeLoopbackPort();

// Whether a TCP connection to 127.0.0.1:`port` is accepted now.
bool LoopbackAccepts(int port);
