"""run_and_report.py OUTPUT SCRIPT ARGS...: runs SCRIPT with ARGS and puts
what it prints into OUTPUT, followed by a line "end", renamed into place
when complete. The Windows tests start Python through Wine, which cannot
hand a host program a Windows pipe; they read OUTPUT instead."""
import os
import runpy
import sys

output_path, script = sys.argv[1], sys.argv[2]
sys.argv = [script] + sys.argv[3:]
with open(output_path + ".part", "w", encoding="utf-8") as output:
    sys.stdout = output
    try:
        runpy.run_path(script, run_name="__main__")
    finally:
        sys.stdout = sys.__stdout__
    output.write("end\n")
os.replace(output_path + ".part", output_path)
