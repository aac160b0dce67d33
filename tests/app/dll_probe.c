/* A DLL that does nothing: tests load it by its bare name from beside the test program. */
__declspec(dllexport) int probe_answer(void) { return 42; }
