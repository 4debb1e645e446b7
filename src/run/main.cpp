#include "run/run_sequence.h"

int main() { return sb::run::scenarioBuilderMain(); }
