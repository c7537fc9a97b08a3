// Resource identifiers of lullan.exe.
#pragma once

#define IDD_AGENT 100  // the agent's window: hidden, it holds the agent's timer and notifications
