/*
 * qemu32_fixes: a preload library for 32-bit Wine processes run by
 * qemu-i386 user emulation (Debian 12, qemu 7.2). It works around two
 * faults of that emulator:
 *
 * 1. MAP_FIXED_NOREPLACE is taken as a mere hint: when the address is
 *    taken, qemu maps the block elsewhere and reports success. Wine's
 *    address-space reservation then keeps the misplaced blocks and splits
 *    its requests down to 64 KiB, tens of thousands of slow mmap calls per
 *    start. The mmap wrappers below turn a misplaced NOREPLACE mapping into
 *    the EEXIST failure the kernel would have given.
 *
 * 2. qemu keeps one GDT for all threads of a process, where Linux keeps the
 *    three TLS descriptors per thread. glibc's %gs selector (and Wine's %fs
 *    selector, if it gets a GDT slot) then names whichever thread wrote the
 *    slot last, and Wine reloads both at every signal and system call. Here
 *    every thread gets an LDT descriptor of its own for %gs (the LDT is per
 *    process in Linux and in qemu alike, so one shared table of distinct
 *    entries is right), and the free GDT TLS slots are occupied so that Wine
 *    falls back to per-thread LDT selectors for %fs as well.
 *
 * Built for i386 only; the x86_64 twin of this library is empty, so one
 * LD_PRELOAD with a literal $LIB in its path serves both kinds of process.
 */
#define _GNU_SOURCE
#include <asm/ldt.h>
#include <dlfcn.h>
#include <errno.h>
#include <pthread.h>
#include <signal.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#if defined(__i386__)

#ifndef MAP_FIXED_NOREPLACE
#define MAP_FIXED_NOREPLACE 0x100000
#endif

/* ---- 1. MAP_FIXED_NOREPLACE ------------------------------------------ */

static void *checked_mapping(void *want, void *got, size_t length, int flags)
{
    if (got == MAP_FAILED || !(flags & MAP_FIXED_NOREPLACE) || got == want)
        return got;
    munmap(got, length);
    errno = EEXIST;
    return MAP_FAILED;
}

void *mmap64(void *address, size_t length, int protection, int flags, int fd, off64_t offset)
{
    static void *(*next)(void *, size_t, int, int, int, off64_t);
    if (!next)
        next = (void *(*)(void *, size_t, int, int, int, off64_t))dlsym(RTLD_NEXT, "mmap64");
    return checked_mapping(address, next(address, length, protection, flags, fd, offset),
                           length, flags);
}

void *mmap(void *address, size_t length, int protection, int flags, int fd, off_t offset)
{
    return mmap64(address, length, protection, flags, fd, offset);
}

/* ---- 2. A %gs descriptor per thread ------------------------------------ */

/* LDT indices handed out to threads. Wine allocates its own LDT entries
 * from 512 on, so these stay below. Entries are never reused: a thread
 * still runs on its %gs after its last destructor, so freeing one could
 * hand a live descriptor to another thread. A process that outlives 511
 * threads gives the later ones the shared GDT slot, as without this
 * library. */
enum { FIRST_LDT_INDEX = 1, END_LDT_INDEX = 512 };
static int next_ldt_index = FIRST_LDT_INDEX;

/* The GDT TLS slot glibc loaded into %gs at start-up, while it was the
 * only thread. */
static unsigned short gdt_gs_selector;
static pthread_mutex_t creation_lock = PTHREAD_MUTEX_INITIALIZER;

static unsigned short read_gs(void)
{
    unsigned short selector;
    __asm__ volatile("movw %%gs, %0" : "=r"(selector));
    return selector;
}

static void load_gs(unsigned short selector)
{
    __asm__ volatile("movw %0, %%gs" : : "r"(selector) : "memory");
}

/* glibc's thread control block starts with a pointer to itself. */
static uintptr_t own_tcb(void)
{
    uintptr_t tcb;
    __asm__ volatile("movl %%gs:0, %0" : "=r"(tcb));
    return tcb;
}

static void describe_data_segment(struct user_desc *d, unsigned index, uintptr_t base)
{
    d->entry_number = index;
    d->base_addr = (unsigned)base;
    d->limit = 0xfffff;
    d->seg_32bit = 1;
    d->contents = 0;
    d->read_exec_only = 0;
    d->limit_in_pages = 1;
    d->seg_not_present = 0;
    d->useable = 1;
}

/* Moves the calling thread's %gs onto an LDT descriptor of its own. */
static void own_gs_descriptor(void)
{
    int index = __atomic_fetch_add(&next_ldt_index, 1, __ATOMIC_RELAXED);
    if (index >= END_LDT_INDEX)
        return;
    struct user_desc d;
    describe_data_segment(&d, (unsigned)index, own_tcb());
    if (syscall(SYS_modify_ldt, 1, &d, sizeof d) != 0)
        return;
    load_gs((unsigned short)(index << 3 | 4 | 3)); /* LDT, ring 3 */
}

/* Points the shared GDT slot at the calling thread's own control block. */
static void claim_gdt_slot(void)
{
    struct user_desc d;
    describe_data_segment(&d, gdt_gs_selector >> 3, own_tcb());
    syscall(SYS_set_thread_area, &d);
}

struct start {
    void *(*routine)(void *);
    void *argument;
    sigset_t signals;
};

static void *thread_start(void *p)
{
    struct start start = *(struct start *)p;
    free(p);
    own_gs_descriptor();
    pthread_sigmask(SIG_SETMASK, &start.signals, NULL);
    return start.routine(start.argument);
}

/* glibc's clone gives the child the parent's %gs selector and writes the
 * child's control block into the GDT slot. So the child is created while
 * the parent runs on that slot, with the slot pointing at the parent, and
 * with every signal blocked: no handler may reload %gs from a slot that
 * names another thread. */
int pthread_create(pthread_t *thread, const pthread_attr_t *attributes,
                   void *(*routine)(void *), void *argument)
{
    static int (*next)(pthread_t *, const pthread_attr_t *, void *(*)(void *), void *);
    if (!next)
        next = (int (*)(pthread_t *, const pthread_attr_t *, void *(*)(void *), void *))
            dlsym(RTLD_NEXT, "pthread_create");
    if (!gdt_gs_selector)
        return next(thread, attributes, routine, argument);

    struct start *start = malloc(sizeof *start);
    if (!start)
        return EAGAIN;
    start->routine = routine;
    start->argument = argument;

    sigset_t all, caller_signals;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &caller_signals);
    start->signals = caller_signals;
    pthread_mutex_lock(&creation_lock);
    unsigned short own = read_gs();
    claim_gdt_slot();
    load_gs(gdt_gs_selector);
    int result = next(thread, attributes, thread_start, start);
    load_gs(own);
    pthread_mutex_unlock(&creation_lock);
    pthread_sigmask(SIG_SETMASK, &caller_signals, NULL);
    if (result != 0)
        free(start); /* otherwise the child owns it */
    return result;
}

__attribute__((constructor)) static void start_up(void)
{
    unsigned short selector = read_gs();
    if (selector & 4)
        return; /* already on the LDT: nothing of ours to do */
    gdt_gs_selector = selector;
    own_gs_descriptor();

    /* Occupy the remaining GDT TLS slots, so that Wine's request for one
     * fails and it uses a per-thread LDT descriptor for %fs instead. */
    for (;;) {
        struct user_desc d;
        describe_data_segment(&d, (unsigned)-1, 0);
        if (syscall(SYS_set_thread_area, &d) != 0)
            break;
    }
}

#endif
