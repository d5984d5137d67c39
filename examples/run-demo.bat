@echo off
rem Runs the reference host over the demo script with both plug-ins. The
rem results appear in this window; pictures of the screen go to demo-output.
cd /d "%~dp0"
if not exist demo-output mkdir demo-output
vmhost.exe --plugin vmswf=vmswf.dll --plugin undula=undula.dll --output demo-output docs\examples\demo\demo.vms
pause
