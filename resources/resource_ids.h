/* Ids of the program's resources, shared by the resource script and the program. The control
 * dialog's id is the one its template states. */
#ifndef LUMIVEX_RESOURCE_IDS_H
#define LUMIVEX_RESOURCE_IDS_H

#define LUMIVEX_LARGE_ICON 10000 /* taken at 32 x 32 */
#define LUMIVEX_SMALL_ICON 10001 /* taken at 16 x 16 */

#endif
