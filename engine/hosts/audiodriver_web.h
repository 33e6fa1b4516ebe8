/* Between the web host and its audio driver, in one direction, as the headless pair
 * has it: the host pushes its clock. Not installed. */
#ifndef FENK_HOSTS_AUDIODRIVER_WEB_H
#define FENK_HOSTS_AUDIODRIVER_WEB_H

#ifdef __cplusplus
extern "C" {
#endif

/* The silent device follows the wall clock until the host gives its own (a page under
 * a test, on the virtual clock): from the first call on, it plays what that clock has
 * played, `frames` at the mixing rate by now, and mixes what that owes at once. */
void audiodriver_web_clock(unsigned long long frames);

#ifdef __cplusplus
}
#endif

#endif
