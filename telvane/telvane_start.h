#pragma once
// Telvane from its first instruction to the message loop.
namespace phondeck {
int run_telvane(int argc, char** argv);
}
