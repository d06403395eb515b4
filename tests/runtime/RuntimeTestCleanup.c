/* C code with a cleanup, compiled with exceptions: its frames name the runtime's C personality
   routine, which an exception from C++ code then unwinds through. */
static void CountCleanup(int** counter) {
    ++**counter;
}

void RunWithCleanup(void (*function)(void), int* cleanups) {
    int* counter __attribute__((cleanup(CountCleanup))) = cleanups;
    function();
}
