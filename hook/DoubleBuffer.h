// A value in memory that several processes share, rewritten by one writer
// while readers in any process read it. Readers never wait and never act on a
// half-written value, and no lock or counter exists that a process dying in
// the middle could leave behind: there are two copies, readers read the
// current one, and the writer rewrites the other and then makes it current.
// Each copy has a generation that is odd while the copy is being written; a
// reader whose copy changed generation under it (the writer came round to it
// again) simply reads the current copy again.
//
// Plain data, all zero at first (both copies zero, the first current): it can
// live in the shared section, where no constructor may run.
#pragma once

template <typename T>
struct DoubleBuffered {
    T copies[2];
    unsigned generations[2];
    unsigned current;  // the copy readers take: 0 or 1

    // Calls read(const T&) with the current copy until one call ran while
    // nobody wrote that copy; only the last call's outcome counts. `read`
    // must stay within the copy whatever it finds there (a bounded walk),
    // since a discarded call may see a copy being rewritten.
    template <typename Reader>
    void Read(Reader read) const
    {
        for (;;) {
            const unsigned index = __atomic_load_n(&current, __ATOMIC_ACQUIRE) & 1;
            const unsigned generation = __atomic_load_n(&generations[index], __ATOMIC_ACQUIRE);
            if ((generation & 1) != 0) continue;  // made current, then taken up by a writer again
            read(copies[index]);
            __atomic_thread_fence(__ATOMIC_ACQUIRE);
            if (__atomic_load_n(&generations[index], __ATOMIC_RELAXED) == generation) return;
        }
    }

    // Calls write(T&) with the copy that is not current, then makes it
    // current. One writer at a time; a writer that died half-way left only
    // the copy that was not current, which the next write rewrites.
    template <typename Writer>
    void Write(Writer write)
    {
        const unsigned index = (__atomic_load_n(&current, __ATOMIC_ACQUIRE) & 1) ^ 1;
        const unsigned generation = generations[index] + ((generations[index] & 1) != 0 ? 2 : 1);
        __atomic_store_n(&generations[index], generation, __ATOMIC_RELAXED);
        __atomic_thread_fence(__ATOMIC_SEQ_CST);  // odd before the first byte changes
        write(copies[index]);
        __atomic_store_n(&generations[index], generation + 1, __ATOMIC_RELEASE);
        __atomic_store_n(&current, index, __ATOMIC_RELEASE);
    }
};
